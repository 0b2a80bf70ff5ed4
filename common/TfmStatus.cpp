#include "common/TfmStatus.h"

#include "common/AniCursor.h"
#include "common/Exception.h"

#include <QLabel>

void TfmStatus::ShowStatus(const QString&) { }

void TfmStatus::HideStatus() { }

TfmStatus* TfmStatus::Current()
{
    return nullptr;
}

AniCursor TfmStatus::LoadBusyCursor(const QString&)
{
    throw Exception(QStringLiteral("not yet"));
}

QString TfmStatus::StatusText() const
{
    return QString();
}

void TfmStatus::paintEvent(QPaintEvent*) { }

TfmStatus::TfmStatus()
    : lbStatus(new QLabel(this))
{
}
