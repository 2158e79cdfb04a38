// Reading and writing of the program-wide settings; the only place that touches the
// profile besides the main window's placement and bar state.
#include "AppSettings.h"

#include <QFontDatabase>
#include <QSettings>

#include <algorithm>
#include <cstdlib>

namespace varnel {

namespace {

StoredFont readFont(QSettings& s, const QString& group)
{
    StoredFont result;
    s.beginGroup(group);
    const int height = s.value("Height", 0).toInt();
    if (height != 0) {
        result.stored = true;
        QFont font(s.value("FaceName", QStringLiteral("System")).toString().left(31));
        // Any stored height gives a usable size: INT_MIN has no absolute value as an int.
        font.setPixelSize(static_cast<int>(std::clamp<qint64>(std::llabs(height), 1, 1000)));
        font.setWeight(
            static_cast<QFont::Weight>(std::clamp(s.value("Weight", 400).toInt(), 1, 1000)));
        font.setItalic(s.value("Italic", 0).toInt() != 0);
        font.setUnderline(s.value("Underline", 0).toInt() != 0);
        if ((s.value("PitchAndFamily", 0).toInt() & 3) == 1)
            font.setStyleHint(QFont::TypeWriter);
        result.font = font;
    }
    s.endGroup();
    return result;
}

void writeFont(QSettings& s, const QString& group, const StoredFont& stored)
{
    s.beginGroup(group);
    const QFont& f = stored.font;
    int pixels = f.pixelSize() > 0 ? f.pixelSize() : qRound(f.pointSizeF() * 96.0 / 72.0);
    s.setValue("Height", stored.stored ? -std::max(1, pixels) : 0);
    s.setValue("Weight", static_cast<int>(f.weight()));
    s.setValue("Italic", f.italic() ? 1 : 0);
    s.setValue("Underline", f.underline() ? 1 : 0);
    s.setValue("PitchAndFamily", f.fixedPitch() || f.styleHint() == QFont::TypeWriter ? 49 : 34);
    s.setValue("CharSet", 0);
    s.setValue("FaceName", f.family().left(31));
    s.endGroup();
}

} // namespace

bool StoredFont::operator==(const StoredFont& other) const
{
    return stored == other.stored && (!stored || font == other.font);
}

void registerSymbolFaces()
{
    QFont::insertSubstitutions(kSymbolFace, {"DejaVu Serif", "Noto Serif", "FreeSerif",
                                             "Liberation Serif", "DejaVu Sans"});
    QFont::insertSubstitutions(
        kFixedSymbolFace, {"DejaVu Sans Mono", "Noto Sans Mono", "FreeMono", "Liberation Mono"});
}

QFont AppSettings::editorFont() const
{
    if (displayFont.stored)
        return displayFont.font;
    QFont font(kSymbolFace);
    font.setPointSize(11);
    return font;
}

int AppSettings::toColorRef(const QColor& c)
{
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

QColor AppSettings::fromColorRef(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

void AppSettings::readSettings()
{
    QSettings s;
    s.beginGroup("General");
    derivInf = s.value("DerivInf", 0).toInt();
    iterInf = s.value("IterInf", 0).toInt();
    resultsInf = s.value("ResultsInf", 1).toInt();
    s.endGroup();

    s.beginGroup("Settings");
    showCmd = s.value("ShowCmd", 3).toInt() == 1 ? 1 : 3;
    wordWrap = s.value("WordWrap", 0).toInt() == 1;
    tabStops = s.value("TabStops", 16).toInt();
    equationColor = fromColorRef(s.value("EquationColor", 255).toInt());
    commentsColor = fromColorRef(s.value("CommentsColor", 8421504).toInt());
    backgroundColor = fromColorRef(s.value("BackGroundColor", 0xFFFFFF).toInt());
    s.endGroup();

    displayFont = readFont(s, "Font");
    printFont = readFont(s, "PrintFont");

    s.beginGroup("PageSetup");
    header = s.value("Header", QStringLiteral("File: &f")).toString();
    footer = s.value("Footer", QStringLiteral("Page: &p")).toString();
    headerTime = s.value("HeaderTime", 0).toInt() != 0;
    footerTime = s.value("FooterTime", 0).toInt() != 0;
    s.endGroup();

    m_loaded = {showCmd,     wordWrap,  tabStops, equationColor, commentsColor, backgroundColor,
                displayFont, printFont, header,   footer,        headerTime,    footerTime};
    m_read = true;
}

void AppSettings::writeSettings() const
{
    QSettings s;
    if (!m_read || header != m_loaded.header || footer != m_loaded.footer ||
        headerTime != m_loaded.headerTime || footerTime != m_loaded.footerTime) {
        s.beginGroup("PageSetup");
        s.setValue("Header", header);
        s.setValue("Footer", footer);
        s.setValue("HeaderTime", headerTime ? 1 : 0);
        s.setValue("FooterTime", footerTime ? 1 : 0);
        s.endGroup();
    }
    if (!m_read || wordWrap != m_loaded.wordWrap || tabStops != m_loaded.tabStops ||
        equationColor != m_loaded.equationColor || commentsColor != m_loaded.commentsColor ||
        backgroundColor != m_loaded.backgroundColor) {
        s.beginGroup("Settings");
        s.setValue("WordWrap", wordWrap ? 1 : 0);
        s.setValue("TabStops", tabStops);
        s.setValue("EquationColor", toColorRef(equationColor));
        s.setValue("CommentsColor", toColorRef(commentsColor));
        s.setValue("BackGroundColor", toColorRef(backgroundColor));
        s.endGroup();
    }
    if (displayFont.stored && !(displayFont == m_loaded.displayFont))
        writeFont(s, "Font", displayFont);
    if (printFont.stored && !(printFont == m_loaded.printFont))
        writeFont(s, "PrintFont", printFont);
    if (!m_read || showCmd != m_loaded.showCmd)
        s.setValue("Settings/ShowCmd", showCmd);

    s.beginGroup("General");
    s.setValue("DerivInf", derivInf);
    s.setValue("IterInf", iterInf);
    s.setValue("ResultsInf", resultsInf);
    s.endGroup();
}

} // namespace varnel
