#pragma once

#include <QString>

enum class MessageIcon { Information, Warning, Error, Question };
enum class MessageButtons { Ok, YesNo };

struct MessageRequest {
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::Information;
    MessageButtons buttons = MessageButtons::Ok;
};

// Every message box of the program goes through the one presenter, so that tests can answer
// them. The default shows a QMessageBox.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // Shows the box modally; true when the operator chose OK or Yes.
    virtual bool present(const MessageRequest& request) = 0;
};

// nullptr restores the QMessageBox presenter. The caller keeps ownership.
void SetMessagePresenter(MessagePresenter* presenter);
MessagePresenter& CurrentMessagePresenter();
