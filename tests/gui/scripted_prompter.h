#pragma once

#include "vendrel/prompter.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

using namespace vendrel::gui; // the editor's classes

// A prompter whose answers a test gives in advance. Every message shown is
// recorded; a message with no answer left fails the test and answers Cancel.
class ScriptedPrompter final : public Prompter {
public:
    void answer(bool ok) { answers_.push_back(ok); }
    void answerFile(const QString& path) { files_.push_back(path); }
    // Runs `action` while the next message is shown, before it is answered.
    void whileNextShown(std::function<void()> action) { whileShown_ = std::move(action); }

    bool ask(QWidget* parent, const Message& message) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& folder) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& folder) override;

    const std::vector<Message>& shown() const { return shown_; }
    bool allAnswersUsed() const { return answers_.empty() && files_.empty(); }

private:
    std::deque<bool> answers_;
    std::deque<QString> files_;
    std::vector<Message> shown_;
    std::function<void()> whileShown_;
};
