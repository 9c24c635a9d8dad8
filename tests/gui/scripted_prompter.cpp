#include "scripted_prompter.h"

#include <gtest/gtest.h>

#include <utility>

using namespace vendrel::gui; // the editor's classes

bool ScriptedPrompter::ask(QWidget*, const Message& message)
{
    shown_.push_back(message);
    if (whileShown_)
        std::exchange(whileShown_, {})();
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected message: " << message.text.toStdString();
        return false;
    }
    const bool ok = answers_.front();
    answers_.pop_front();
    return ok;
}

QString ScriptedPrompter::openFileName(QWidget*, const QString&, const QString&)
{
    if (files_.empty()) {
        ADD_FAILURE() << "unexpected file dialog";
        return {};
    }
    QString path = files_.front();
    files_.pop_front();
    return path;
}

QString ScriptedPrompter::saveFileName(QWidget* parent, const QString& title, const QString& folder)
{
    return openFileName(parent, title, folder);
}
