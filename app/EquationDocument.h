// An equation document: the equation text (held in a QTextDocument that the editor shows),
// its solution settings kept in the ".SQP" file beside it, its path and base name, and the
// autosave copy that protects unsaved edits against a crash.
#pragma once

#include "varnel/Varnel.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <string>

class QTextDocument;

namespace varnel {

class AppSettings;

/// What opening or saving did: `ok` false with `error` when the equation text could not be
/// read or written; `notices` holds the settings-file messages to show (the text itself is
/// still opened or saved).
struct DocumentReport {
    bool ok = true;
    QString error;
    QStringList notices;
};

class EquationDocument : public QObject {
    Q_OBJECT
public:
    /// A new, empty document titled `title` ("Untitled", "Untitled2", ...), with the
    /// display flags of `settings` copied into its options.
    EquationDocument(const QString& title, const AppSettings& settings, QObject* parent = nullptr);
    /// Deletes the run's temporary files of the base name.
    ~EquationDocument() override;

    /// Reads the equation file at `path` (its bytes decoded through the symbol table, CRLF
    /// line ends remembered), deletes stale temporaries and loads the settings file.
    DocumentReport open(const QString& path);
    /// Writes the text atomically to `path` (an encoding failure or a write failure leaves
    /// the file on disk as it was), then the settings file; clears the modified state and
    /// the autosave copy on success.
    DocumentReport save(const QString& path);

    QTextDocument* text() const { return m_text; }
    SolverOptions& options() { return m_options; }
    const SolverOptions& options() const { return m_options; }
    /// The full path, empty for a document never saved.
    QString path() const { return m_path; }
    /// The file name, or the title of a new document.
    QString title() const;
    /// The path, or the title for a document without one (what the Properties tree shows).
    QString displayName() const;
    std::string baseName() const { return m_baseName; }
    bool crlf() const { return m_crlf; }

    bool isModified() const;
    /// True when the file at the document's path has been changed or replaced on disk since
    /// the document last read or wrote it (a file that is gone is not: saving recreates it).
    bool changedOnDisk() const;
    /// Marks the settings as changed (the options sheet does this on OK).
    void setOptionsModified();
    /// The bytes that saving would write now, or an error naming the first character with
    /// no byte.
    bool encodedText(QByteArray& bytes, QString& error) const;

    /// The attached list file (empty when none) and the list-file count kept in the options.
    QString attachment() const { return m_attachment; }
    /// Attaches `path` (empty: no list file) with `count` data lines; the options' list-file
    /// name points at the document's own copy of the name.
    void setAttachment(const QString& path, int count);

    /// Sets the folder of the autosave copy (empty: no copy is kept).
    void setAutosaveFolder(const QString& folder);
    /// Writes the autosave copy (UTF-8 text plus the original path) when the document is
    /// modified; removes it otherwise.
    void writeAutosave();
    /// Removes the autosave copy.
    void discardAutosave();
    /// Replaces the text with a recovered autosave copy and marks the document modified.
    void restoreFrom(const QString& text, const QString& originalPath);

signals:
    void modifiedChanged(bool modified);
    void pathChanged(const QString& path);

private:
    QString autosaveFile() const;
    void rememberDiskState();

    QTextDocument* m_text;
    SolverOptions m_options;
    QString m_path;
    QString m_title;
    std::string m_baseName;
    QString m_autosaveFolder;
    QString m_attachment;
    std::string m_attachmentBytes; // what the options' list-file name points at
    QString m_autosaveKey;
    QDateTime m_diskModified; // the file as last read or written (invalid: never)
    qint64 m_diskSize = -1;
    bool m_crlf = false;
    bool m_optionsModified = false;
};

} // namespace varnel
