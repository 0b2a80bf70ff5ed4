#include "common/MessagePresenter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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
        // The operator's system speaks Chinese; Qt's own button texts would be English.
        if (request.buttons == MessageButtons::YesNo) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
            box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
        } else {
            box.setStandardButtons(QMessageBox::Ok);
            box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
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
