// The editor options dialog; the sample is coloured like the editor.
#include "EditorOptionsDialog.h"

#include "ColourButton.h"
#include "CommentHighlighter.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace varnel {

namespace {

QString describe(const StoredFont& font, const QString& fallback)
{
    if (!font.stored)
        return fallback;
    const QFont& f = font.font;
    const int size = f.pointSize() > 0 ? f.pointSize() : f.pixelSize();
    return QStringLiteral("%1, %2 %3")
        .arg(f.family())
        .arg(size)
        .arg(f.pointSize() > 0 ? "pt" : "px");
}

} // namespace

EditorOptionsDialog::EditorOptionsDialog(const AppSettings& settings, QWidget* parent)
    : QDialog(parent), m_values(settings), m_displayName(new QLabel(this)),
      m_printName(new QLabel(this)), m_sample(new QPlainTextEdit(this)),
      m_equation(new ColourButton(tr("Equation"), settings.equationColor, QColor(255, 0, 0), this)),
      m_comments(
          new ColourButton(tr("Comments"), settings.commentsColor, QColor(128, 128, 128), this)),
      m_background(new ColourButton(tr("Background"), settings.backgroundColor, Qt::white, this)),
      m_wordWrap(new QCheckBox(tr("&Word Wrap"), this)), m_tabStops(new QSpinBox(this))
{
    setWindowTitle(tr("Editor Options"));
    auto* layout = new QVBoxLayout(this);

    auto* fonts = new QGroupBox(tr("Fonts"), this);
    auto* fontLayout = new QFormLayout(fonts);
    auto* displayRow = new QHBoxLayout;
    auto* chooseDisplay = new QPushButton(tr("Set &Font..."), fonts);
    displayRow->addWidget(m_displayName, 1);
    displayRow->addWidget(chooseDisplay);
    fontLayout->addRow(tr("Display font:"), displayRow);
    auto* printRow = new QHBoxLayout;
    auto* choosePrint = new QPushButton(tr("Set &Printer Font..."), fonts);
    printRow->addWidget(m_printName, 1);
    printRow->addWidget(choosePrint);
    fontLayout->addRow(tr("Printer font:"), printRow);
    layout->addWidget(fonts);

    auto* colours = new QGroupBox(tr("Colours"), this);
    auto* colourLayout = new QFormLayout(colours);
    colourLayout->addRow(tr("Equation Color:"), m_equation);
    colourLayout->addRow(tr("Comments Color:"), m_comments);
    colourLayout->addRow(tr("Background Color:"), m_background);
    layout->addWidget(colours);

    auto* editing = new QGroupBox(tr("Editing"), this);
    auto* editLayout = new QFormLayout(editing);
    m_wordWrap->setChecked(settings.wordWrap);
    m_tabStops->setRange(1, 16);
    m_tabStops->setValue(std::clamp(settings.tabStops, 1, 16));
    editLayout->addRow(m_wordWrap);
    editLayout->addRow(tr("&Tab Stops:"), m_tabStops);
    layout->addWidget(editing);

    m_sample->setReadOnly(true);
    m_sample->setFixedHeight(90);
    m_sample->setPlainText(QString::fromUtf8("{ Sample: a phasor in polar form }\n"
                                             "V = 230@30\u00B0;  \u03C9 = 2*\u03C0*f;\n"
                                             "\u03B1 \u2248 0.5;  Z = R + \u0237*\u03C9*L;"));
    new CommentHighlighter(m_sample->document(), settings.equationColor, settings.commentsColor);
    layout->addWidget(new QLabel(tr("Sample:"), this));
    layout->addWidget(m_sample);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(chooseDisplay, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, m_values.editorFont(), this, tr("Font"));
        if (ok) {
            m_values.displayFont = {true, font};
            updateSamples();
        }
    });
    connect(choosePrint, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const QFont start =
            m_values.printFont.stored ? m_values.printFont.font : m_values.editorFont();
        const QFont font = QFontDialog::getFont(&ok, start, this, tr("Printer Font"));
        if (ok) {
            m_values.printFont = {true, font};
            updateSamples();
        }
    });
    for (ColourButton* button : {m_equation, m_comments, m_background})
        connect(button, &ColourButton::colourChanged, this, &EditorOptionsDialog::updateSamples);
    updateSamples();
}

void EditorOptionsDialog::updateSamples()
{
    m_displayName->setText(
        describe(m_values.displayFont, QStringLiteral("%1 (default)").arg(kSymbolFace)));
    m_printName->setText(describe(m_values.printFont, tr("same as the display font")));
    m_sample->setFont(m_values.editorFont());
    QPalette p = m_sample->palette();
    p.setColor(QPalette::Base, m_background->colour());
    m_sample->setPalette(p);
    if (auto* h = m_sample->document()->findChild<CommentHighlighter*>())
        h->setColours(m_equation->colour(), m_comments->colour());
}

void EditorOptionsDialog::store(AppSettings& settings) const
{
    settings.displayFont = m_values.displayFont;
    settings.printFont = m_values.printFont;
    settings.equationColor = m_equation->colour();
    settings.commentsColor = m_comments->colour();
    settings.backgroundColor = m_background->colour();
    settings.wordWrap = m_wordWrap->isChecked();
    settings.tabStops = m_tabStops->value();
}

} // namespace varnel
