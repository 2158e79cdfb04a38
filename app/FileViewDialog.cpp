// The read-only viewer of produced files.
#include "FileViewDialog.h"

#include "AppSettings.h"
#include "SymbolCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace varnel {

FileViewDialog::FileViewDialog(const QString& path, bool conversion, QWidget* parent)
    : QDialog(parent), m_text(new QPlainTextEdit(this)),
      m_convert(new QPushButton(QStringLiteral("Convert to Main File"), this)),
      m_close(new QPushButton(QStringLiteral("Close"), this))
{
    setObjectName("FileViewDialog");
    setWindowTitle(QFileInfo(path).fileName());
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Equations read best in the proportional symbol face; other text in the fixed one.
    QFont font(QString::fromLatin1(conversion ? kSymbolFace : kFixedSymbolFace));
    font.setPixelSize(14);
    font.setWeight(QFont::Normal);
    if (!conversion)
        font.setStyleHint(QFont::TypeWriter);
    m_text->setFont(font);

    QFile file(path);
    if (!path.isEmpty() && file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QByteArray bytes = file.readAll();
        std::u32string text = decodeEquationBytes(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        if (!text.empty() && text.back() != U'\n')
            text.push_back(U'\n'); // every line is shown followed by a line break
        m_decoded = QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
        m_text->setPlainText(m_decoded);
    }

    m_convert->setVisible(conversion);
    m_convert->setDefault(conversion);
    m_close->setDefault(!conversion);
    connect(m_convert, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_convert);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
    resize(640, 480);
}

QString FileViewDialog::text() const
{
    return m_decoded;
}

} // namespace varnel
