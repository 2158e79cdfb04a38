// Where one running program keeps the autosave copies of its unsaved documents: a folder of
// its own under the user's data folder, guarded by a lock file while the program runs. A
// folder whose lock is stale (its program ended without cleaning up, i.e. crashed) holds the
// copies to offer back; folders of programs still running are left alone.
#pragma once

#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>

namespace varnel {

/// One copy left behind by a session that did not end cleanly.
struct OrphanedCopy {
    QString file;         ///< the copy on disk
    QString originalPath; ///< the document's path, empty for a document never saved
    QString text;         ///< the unsaved text
};

class AutosaveStore {
public:
    /// Opens a new session folder and locks it.
    AutosaveStore();
    /// Unlocks the session; removes its folder when no copy is left in it.
    ~AutosaveStore();

    /// The session's folder (created on first use).
    QString folder() const { return m_folder; }

    /// The copies of sessions whose programs are no longer running. Each returned copy's
    /// session is adopted: its lock is taken until the store is destroyed.
    std::vector<OrphanedCopy> takeOrphans();

    /// The folder that holds every session's folder.
    static QString root();

private:
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    std::vector<std::unique_ptr<QLockFile>> m_adopted;
    QStringList m_adoptedFolders;
};

} // namespace varnel
