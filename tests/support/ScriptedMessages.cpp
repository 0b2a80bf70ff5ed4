#include "tests/support/ScriptedMessages.h"

ScriptedMessages::ScriptedMessages(QList<bool> answers, bool defaultAnswer)
    : answers(std::move(answers)), defaultAnswer(defaultAnswer)
{
    SetMessagePresenter(this);
}

ScriptedMessages::~ScriptedMessages()
{
    SetMessagePresenter(nullptr);
}

bool ScriptedMessages::present(const MessageRequest& request)
{
    shown.append(request);
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}
