#pragma once

#include "data/TField.h"
#include "data/TParamObject.h"

#include <QString>
#include <memory>

class TRecordStore;
class TSocketConnection;

// A client dataset: opens a named provider of the application server over RemoteServer
// and holds all its rows in memory (compactly: 100,000 rows x 10 fields stay small).
class TClientDataSet {
public:
    TClientDataSet();
    ~TClientDataSet();
    TClientDataSet(const TClientDataSet&) = delete;
    TClientDataSet& operator=(const TClientDataSet&) = delete;

    TSocketConnection* RemoteServer() const { return FRemoteServer; }
    void SetRemoteServer(TSocketConnection* server) { FRemoteServer = server; }
    QString ProviderName() const { return FProviderName; }
    void SetProviderName(const QString& name) { FProviderName = name; }
    QString Filter() const { return FFilter; }
    void SetFilter(const QString& filter) { FFilter = filter; }
    // Parameters sent with the provider's open (packed; none is null).
    TGParams& Params() { return FParams; }

    // Fetches every row of the provider; the dataset is positioned on the first record.
    // Throws Exception (server's message) and stays closed on failure.
    void Open();
    void Close();
    bool Active() const { return FActive; }
    void SetActive(bool on) { on ? Open() : Close(); }

    int RecordCount() const;
    int RecNo() const { return FRecNo; } // 0-based current record
    void First();
    void Next();
    bool Eof() const { return FEof; }
    bool IsEmpty() const { return RecordCount() == 0; }

    int FieldCount() const;
    TField Fields(int index) const;
    // Case-insensitive; throws Exception("Field '%s' not found").
    TField FieldByName(const QString& name) const;
    // -1 when no field has that name.
    int FieldIndex(const QString& name) const;

    // Read by TField on the current record (RecNo); null when the dataset has none.
    const TRecordStore& Store() const { return *FStore; }

private:
    TSocketConnection* FRemoteServer = nullptr;
    QString FProviderName;
    QString FFilter;
    TGParams FParams;
    std::unique_ptr<TRecordStore> FStore;
    bool FActive = false;
    int FRecNo = 0;
    bool FEof = true;
};
