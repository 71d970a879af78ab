#pragma once
// The data module: owns the one connection to data.db and the shared datasets every
// window reads and writes through.

#include <QObject>
#include <QString>
#include <memory>

class Dataset;
class TillLock;
class QThread;
class QTimer;

class Tdmfm : public QObject
{
    Q_OBJECT
public:
    // Opens (and, when missing, creates) the database file at `path`.
    // Throws DbOpenError (what is wrong with the file, in the user's words) when the file
    // cannot be used; a file refused so is left exactly as it was. While it exists it holds
    // the file's till lock: a second copy of the program on the same file is refused.
    explicit Tdmfm(const QString &path = DefaultPath(), QObject *parent = nullptr);
    ~Tdmfm() override;

    static QString DefaultPath();     // data.db in the working directory
    static QString AdminName();       // 超级管理员
    static QString DefaultPassword(); // password of a new or reset operator
    static int SchemaVersion();       // version this program writes
    static int BusyTimeoutMs();       // how long a write waits for another program's lock

    QString Path() const { return m_path; }
    bool IsConnected() const;
    // Closes and reopens the connection (backup and restore hold the file meanwhile).
    void CloseConnection();
    void OpenConnection();

    // The shared datasets, named after their components.
    Dataset *ADOQuery15; // the cart grid: select * from data
    Dataset *ADOTable5;  // table data: appending cart lines
    Dataset *ADOQuery6;  // product lookup by code
    Dataset *ADOQuery7;  // is a code in the cart; deleting the cart
    Dataset *ADOQuery2;  // cart merge statement
    Dataset *ADOQuery8;  // archive statement
    Dataset *ADOTable6;  // table data3: sale summaries
    Dataset *ADOTable2;  // table data1
    Dataset *ADOQuery13; // sales detail grid: select * from data1
    Dataset *ADOQuery9;  // sale summary grid: select * from data3
    Dataset *ADOQuery1;  // general statements and list fills
    Dataset *ADOQuery5;  // product lookup dialog list
    Dataset *ADOQuery12; // product window grid
    Dataset *ADOQuery4;  // product-code existence test
    Dataset *ADOTable4;  // table sp: appending products

private:
    void createSchema();
    // Copies the write-ahead log into the file on a thread of its own, so that no
    // commit of the program waits for it.
    void checkpointAside();
    void stopCheckpoints();
    void upgradeSchema();

    QString m_path;
    QTimer *m_checkpointTimer = nullptr;
    QThread *m_checkpointer = nullptr;
    std::unique_ptr<TillLock> m_lock;
};

extern Tdmfm *dmfm;
