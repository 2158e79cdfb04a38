// Session folders of autosave copies and the search for copies left by a crash.
#include "AutosaveStore.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QUuid>

namespace varnel {

namespace {

void removeIfEmpty(const QString& folder)
{
    QDir dir(folder);
    if (dir.exists() && dir.isEmpty())
        dir.removeRecursively();
}

} // namespace

QString AutosaveStore::root()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/autosave");
}

AutosaveStore::AutosaveStore()
    : m_folder(root() + QLatin1Char('/') + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    // The lock comes before the folder, so that a program starting at the same moment never
    // finds the folder unlocked and takes it for one left by a crash.
    QDir().mkpath(root());
    m_lock = std::make_unique<QLockFile>(m_folder + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0); // a lock is stale only when its program is gone
    m_lock->tryLock(0);
    QDir().mkpath(m_folder);
}

AutosaveStore::~AutosaveStore()
{
    for (const QString& folder : m_adoptedFolders)
        removeIfEmpty(folder);
    m_adopted.clear(); // unlocks and removes the adopted lock files
    removeIfEmpty(m_folder);
    m_lock.reset();
}

std::vector<OrphanedCopy> AutosaveStore::takeOrphans()
{
    std::vector<OrphanedCopy> copies;
    const QDir base(root());
    for (const QString& name : base.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString folder = base.filePath(name);
        if (folder == m_folder || m_adoptedFolders.contains(folder))
            continue;
        auto lock = std::make_unique<QLockFile>(folder + QStringLiteral(".lock"));
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0))
            continue; // its program is still running
        const QDir session(folder);
        for (const QString& file : session.entryList({QStringLiteral("*.autosave")}, QDir::Files)) {
            QFile in(session.filePath(file));
            if (!in.open(QIODevice::ReadOnly))
                continue;
            const QByteArray content = in.readAll();
            // First line: the original path; then the text as UTF-8.
            const qsizetype newline = content.indexOf('\n');
            if (newline < 0)
                continue;
            copies.push_back({session.filePath(file), QString::fromUtf8(content.left(newline)),
                              QString::fromUtf8(content.mid(newline + 1))});
        }
        m_adopted.push_back(std::move(lock));
        m_adoptedFolders << folder;
    }
    return copies;
}

} // namespace varnel
