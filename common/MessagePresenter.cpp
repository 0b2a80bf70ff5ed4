#include "common/MessagePresenter.h"

#include <QApplication>
#include <QMessageBox>

namespace {

class QMessageBoxPresenter : public MessagePresenter {
public:
    bool present(const MessageRequest& request) override
    {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(request.caption);
        // A bare "\r" is a line break in the texts; Qt only breaks at "\n".
        QString shown = request.text;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        box.setText(shown);
        box.setIcon(icon(request.icon));
        if (request.buttons == MessageButtons::YesNo) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
        } else {
            box.setStandardButtons(QMessageBox::Ok);
        }
        const int answer = box.exec();
        return answer == QMessageBox::Ok || answer == QMessageBox::Yes;
    }

private:
    static QMessageBox::Icon icon(MessageIcon kind)
    {
        switch (kind) {
        case MessageIcon::Information: return QMessageBox::Information;
        case MessageIcon::Warning: return QMessageBox::Warning;
        case MessageIcon::Error: return QMessageBox::Critical;
        case MessageIcon::Question: return QMessageBox::Question;
        }
        return QMessageBox::NoIcon;
    }
};

QMessageBoxPresenter defaultPresenter;
MessagePresenter* current = nullptr;

} // namespace

void SetMessagePresenter(MessagePresenter* presenter)
{
    current = presenter;
}

MessagePresenter& CurrentMessagePresenter()
{
    return current ? *current : defaultPresenter;
}
