#pragma once

#include "common/MessagePresenter.h"

#include <QList>

// Answers message boxes in tests: records every request and answers from a script
// (true = OK/Yes); with the script used up it answers defaultAnswer.
// Installs itself on construction and restores the real presenter on destruction.
class ScriptedMessages : public MessagePresenter {
public:
    explicit ScriptedMessages(QList<bool> answers = {}, bool defaultAnswer = true);
    ~ScriptedMessages() override;

    bool present(const MessageRequest& request) override;

    QList<MessageRequest> shown;
    QList<bool> answers;
    bool defaultAnswer;
};
