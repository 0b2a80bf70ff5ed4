#include "data/TClientDataSet.h"

#include "common/Exception.h"
#include "data/TAppServer.h"
#include "data/TRecordStore.h"
#include "data/TSocketConnection.h"

TClientDataSet::TClientDataSet()
    : FStore(std::make_unique<TRecordStore>())
{
}

TClientDataSet::~TClientDataSet() = default;

void TClientDataSet::Open()
{
    if (FActive)
        return;
    if (!FRemoteServer)
        throw Exception(QStringLiteral("Missing RemoteServer"));
    if (FProviderName.isEmpty())
        throw Exception(QStringLiteral("Missing ProviderName"));
    // The providers we open take no parameters; sending none while some are set would
    // return a result that is not what the caller asked for.
    if (!FParams.isEmpty())
        throw Exception(QStringLiteral("Provider parameters are not supported"));

    FStore->Clear();
    try {
        FRemoteServer->AppServer()->OpenProvider(FProviderName, *FStore);
    } catch (...) {
        FStore->Clear();
        throw;
    }
    FActive = true;
    First();
}

void TClientDataSet::Close()
{
    FStore->Clear();
    FActive = false;
    FRecNo = 0;
    FEof = true;
}

int TClientDataSet::RecordCount() const
{
    return FActive ? FStore->RowCount() : 0;
}

void TClientDataSet::First()
{
    FRecNo = 0;
    FEof = RecordCount() == 0;
}

void TClientDataSet::Next()
{
    // Past the last record the dataset stays on it, with Eof set.
    if (FRecNo + 1 < RecordCount())
        ++FRecNo;
    else
        FEof = true;
}

int TClientDataSet::FieldCount() const
{
    return FActive ? FStore->FieldCount() : 0;
}

TField TClientDataSet::Fields(int index) const
{
    if (index < 0 || index >= FieldCount())
        throw Exception(QStringLiteral("List index out of bounds (%1)").arg(index));
    return TField(this, index);
}

int TClientDataSet::FieldIndex(const QString& name) const
{
    if (!FActive)
        return -1;
    const QStringList& names = FStore->FieldNames();
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

TField TClientDataSet::FieldByName(const QString& name) const
{
    const int index = FieldIndex(name);
    if (index < 0)
        throw Exception(QStringLiteral("Field '%1' not found").arg(name));
    return TField(this, index);
}
