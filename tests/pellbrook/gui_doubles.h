#pragma once

#include "pellbrook/prompter.h"
#include "pellbrook/web_link.h"

#include <QString>
#include <QUrl>

#include <gtest/gtest.h>

#include <deque>
#include <ostream>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

// A prompter whose answers a test gives in advance; every question is
// recorded. A question with no answer left fails the test and answers No.
class ScriptedPrompter final : public pellbrook::Prompter {
public:
    struct Question {
        QString title;
        QString text;
    };

    void answer(bool yes) { answers_.push_back(yes); }
    bool askYesNo(QWidget*, const QString& title, const QString& text) override
    {
        asked.push_back({title, text});
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return false;
        }
        const bool yes = answers_.front();
        answers_.pop_front();
        return yes;
    }
    bool allAnswersUsed() const { return answers_.empty(); }

    std::vector<Question> asked;

private:
    std::deque<bool> answers_;
};

// Records the addresses instead of opening a browser.
class RecordingWebLinkOpener final : public pellbrook::WebLinkOpener {
public:
    void open(const QUrl& address) override { opened.push_back(address); }
    std::vector<QUrl> opened;
};
