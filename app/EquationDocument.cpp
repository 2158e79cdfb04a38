// Opening, saving and cleaning up after an equation document. The text goes through the
// symbol codec in both directions so that the file keeps exactly the bytes the solver reads;
// both the text and the settings file are written through QSaveFile.
#include "EquationDocument.h"

#include "AppSettings.h"
#include "SettingsFile.h"
#include "SymbolCodec.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextDocumentLayout>
#include <QSaveFile>
#include <QTextDocument>
#include <QUuid>

namespace varnel {

namespace {

// The text layer turns a carriage return into a line break, so a CR that is not part of the
// file's line ends is held as this private character while the text is edited.
constexpr char32_t kHeldCarriageReturn = 0xF00D;

QString fromSymbols(std::u32string text)
{
    for (char32_t& c : text)
        if (c == U'\r')
            c = kHeldCarriageReturn;
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

// The editor's text exactly as typed: toPlainText would turn no-break spaces into spaces.
std::u32string toSymbols(const QTextDocument* document)
{
    std::u32string text = document->toRawText().toStdU32String();
    for (char32_t& c : text) {
        if (c == 0x2029 || c == 0x2028)
            c = U'\n';
        else if (c == kHeldCarriageReturn)
            c = U'\r';
    }
    return text;
}

} // namespace

EquationDocument::EquationDocument(const QString& title, const AppSettings& settings,
                                   QObject* parent)
    : QObject(parent), m_text(new QTextDocument(this)), m_title(title),
      m_autosaveKey(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    m_text->setDocumentLayout(new QPlainTextDocumentLayout(m_text));
    m_options.showIterations = settings.iterInf != 0;
    m_options.showDerivatives = settings.derivInf != 0;
    m_options.showResults = settings.resultsInf != 0;
    connect(m_text, &QTextDocument::modificationChanged, this,
            [this](bool) { emit modifiedChanged(isModified()); });
}

EquationDocument::~EquationDocument()
{
    const std::string path = m_path.toStdString();
    removeTemporaryCompanions(runBaseName(path), path);
}

QString EquationDocument::title() const
{
    return m_path.isEmpty() ? m_title : QFileInfo(m_path).fileName();
}

QString EquationDocument::displayName() const
{
    return m_path.isEmpty() ? m_title : m_path;
}

bool EquationDocument::isModified() const
{
    return m_text->isModified() || m_optionsModified;
}

bool EquationDocument::changedOnDisk() const
{
    if (m_path.isEmpty())
        return false;
    const QFileInfo info(m_path);
    if (!info.exists())
        return false;
    return !m_diskModified.isValid() || info.lastModified() != m_diskModified ||
           info.size() != m_diskSize;
}

void EquationDocument::rememberDiskState()
{
    const QFileInfo info(m_path);
    m_diskModified = info.exists() ? info.lastModified() : QDateTime();
    m_diskSize = info.exists() ? info.size() : -1;
}

void EquationDocument::setOptionsModified()
{
    m_optionsModified = true;
    emit modifiedChanged(true);
}

DocumentReport EquationDocument::open(const QString& path)
{
    DocumentReport report;
    // A pipe or a device would block the program or never end: only files are read.
    if (const QFileInfo info(path); info.exists() && !info.isFile() && !info.isDir()) {
        report.ok = false;
        report.error = QStringLiteral("Cannot open \"%1\": not a regular file").arg(path);
        return report;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        report.ok = false;
        report.error = QStringLiteral("Cannot open \"%1\": %2").arg(path, file.errorString());
        return report;
    }
    QByteArray bytes = file.readAll();
    file.close();

    // A file whose every line ends in CR LF is edited with LF and written back with CR LF;
    // any other CR stays a character of the text.
    const qsizetype lf = bytes.count('\n');
    m_crlf = lf > 0 && bytes.count("\r\n") == lf;
    if (m_crlf)
        bytes.replace("\r\n", "\n");
    const std::u32string symbols =
        decodeEquationBytes(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    m_text->setPlainText(fromSymbols(symbols));
    m_text->setModified(false);
    m_optionsModified = false;
    discardAutosave();
    m_path = QFileInfo(path).absoluteFilePath();
    rememberDiskState();
    m_autosaveKey = QString::fromLatin1(
        QCryptographicHash::hash(m_path.toUtf8(), QCryptographicHash::Sha1).toHex());

    m_baseName = documentBaseName(m_path.toStdString());
    const std::string own = m_path.toStdString();
    removeTemporaryCompanions(runBaseName(own), own);
    // An equation file named like its own settings file holds text, not settings.
    if (!m_baseName.empty() && m_baseName + ".SQP" != own) {
        QFile settings(QString::fromStdString(m_baseName + ".SQP"));
        if (settings.open(QIODevice::ReadOnly)) {
            const QByteArray record = settings.read(kSettingsFileSize);
            if (decodeSettingsFile(
                    std::string_view(record.constData(), static_cast<size_t>(record.size())),
                    m_options) == SettingsReadStatus::ShortFile)
                report.notices << QString::fromLatin1(kIncorrectFileFormat);
        }
    }
    emit pathChanged(m_path);
    emit modifiedChanged(false);
    return report;
}

bool EquationDocument::encodedText(QByteArray& bytes, QString& error) const
{
    EncodeResult encoded = encodeEquationText(toSymbols(m_text));
    if (!encoded.ok) {
        error = QString::fromStdString(encoded.message);
        return false;
    }
    bytes = QByteArray(encoded.bytes.data(), static_cast<qsizetype>(encoded.bytes.size()));
    if (m_crlf)
        bytes.replace("\n", "\r\n");
    return true;
}

DocumentReport EquationDocument::save(const QString& path)
{
    DocumentReport report;
    QByteArray bytes;
    if (!encodedText(bytes, report.error)) {
        report.ok = false;
        return report;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        report.ok = false;
        report.error = QStringLiteral("Cannot save \"%1\": %2").arg(path, file.errorString());
        file.cancelWriting();
        return report;
    }

    const QString absolute = QFileInfo(path).absoluteFilePath();
    const std::string base = documentBaseName(absolute.toStdString());
    if (!base.empty() && base + ".SQP" != absolute.toStdString()) {
        const auto record = encodeSettingsFile(m_options);
        QSaveFile settings(QString::fromStdString(base + ".SQP"));
        if (!settings.open(QIODevice::WriteOnly)) {
            report.notices << QString::fromLatin1(kSettingsCreateFailed);
        } else if (settings.write(reinterpret_cast<const char*>(record.data()),
                                  static_cast<qint64>(record.size())) !=
                       static_cast<qint64>(record.size()) ||
                   !settings.commit()) {
            report.notices << QString::fromLatin1(kSettingsWriteFailed);
        }
    }

    discardAutosave();
    const bool renamed = absolute != m_path;
    m_path = absolute;
    rememberDiskState();
    m_baseName = base;
    m_autosaveKey = QString::fromLatin1(
        QCryptographicHash::hash(m_path.toUtf8(), QCryptographicHash::Sha1).toHex());
    m_optionsModified = false;
    m_text->setModified(false);
    if (renamed)
        emit pathChanged(m_path);
    emit modifiedChanged(false);
    return report;
}

void EquationDocument::setAutosaveFolder(const QString& folder)
{
    discardAutosave();
    m_autosaveFolder = folder;
}

QString EquationDocument::autosaveFile() const
{
    if (m_autosaveFolder.isEmpty())
        return {};
    return m_autosaveFolder + QLatin1Char('/') + m_autosaveKey + QStringLiteral(".autosave");
}

void EquationDocument::writeAutosave()
{
    if (m_autosaveFolder.isEmpty())
        return;
    if (!isModified()) {
        discardAutosave();
        return;
    }
    QDir().mkpath(m_autosaveFolder);
    QSaveFile file(autosaveFile());
    if (!file.open(QIODevice::WriteOnly))
        return;
    // First line: the original path (empty for a new document); then the text as UTF-8.
    const std::u32string text = toSymbols(m_text);
    file.write(m_path.toUtf8() + '\n' +
               QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size())).toUtf8());
    file.commit();
}

void EquationDocument::discardAutosave()
{
    if (!m_autosaveFolder.isEmpty())
        QFile::remove(autosaveFile());
}

void EquationDocument::restoreFrom(const QString& text, const QString& originalPath)
{
    m_text->setPlainText(fromSymbols(text.toStdU32String()));
    if (!originalPath.isEmpty()) {
        m_path = originalPath;
        m_baseName = documentBaseName(m_path.toStdString());
        m_autosaveKey = QString::fromLatin1(
            QCryptographicHash::hash(m_path.toUtf8(), QCryptographicHash::Sha1).toHex());
        emit pathChanged(m_path);
    }
    m_text->setModified(true);
    emit modifiedChanged(true);
}

void EquationDocument::setAttachment(const QString& path, int count)
{
    m_attachment = path;
    m_attachmentBytes = QFile::encodeName(path).toStdString();
    m_options.listFile.chars = m_attachmentBytes.empty() ? nullptr : m_attachmentBytes.c_str();
    m_options.listFile.length = static_cast<std::intptr_t>(m_attachmentBytes.size());
    m_options.listFileCount = m_attachmentBytes.empty() ? 0 : count;
}

} // namespace varnel
