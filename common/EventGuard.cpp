#include "common/EventGuard.h"

#include "common/Helpers.h"
#include "common/MessagePresenter.h"

void ShowApplicationError(const QString& message)
{
    QString text = message;
    if (!text.isEmpty() && text.back() > u'.')
        text += u'.';
    CurrentMessagePresenter().present({ ApplicationTitle(), text, MessageIcon::Error, MessageButtons::Ok });
}
