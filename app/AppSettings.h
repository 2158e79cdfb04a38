// The program-wide settings kept between runs in the per-user profile: display flags
// ("General"), child-window show command and editor settings ("Settings"), display and
// printer fonts ("Font", "PrintFont") and the print header and footer ("PageSetup").
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

namespace varnel {

/// A font as the profile keeps it; `stored` is false when "Height" is 0 or absent.
struct StoredFont {
    bool stored = false;
    QFont font;
    bool operator==(const StoredFont& other) const;
};

/// Names of the faces the editor asks for; they are substituted with installed faces that
/// have Greek letters and mathematical signs.
inline constexpr const char* kSymbolFace = "Varnel Times";
inline constexpr const char* kFixedSymbolFace = "Varnel Courier";

/// Registers the substitutes of the two faces (call once, after the application exists).
void registerSymbolFaces();

class AppSettings {
public:
    // "General"
    int derivInf = 0;
    int iterInf = 0;
    int resultsInf = 1;
    // "Settings"
    int showCmd = 3;
    bool wordWrap = false;
    int tabStops = 16; ///< tab width in dialog units, four to a character (1..16)
    QColor equationColor = QColor(255, 0, 0);
    QColor commentsColor = QColor(128, 128, 128);
    QColor backgroundColor = QColor(255, 255, 255);
    // "Font", "PrintFont"
    StoredFont displayFont;
    StoredFont printFont;
    // "PageSetup"
    QString header = QStringLiteral("File: &f");
    QString footer = QStringLiteral("Page: &p");
    bool headerTime = false; ///< true: the header shows the current time ("System Time")
    bool footerTime = false;

    /// Reads every setting from the profile; missing keys keep the defaults above.
    void readSettings();
    /// Writes the page setup, editor settings, fonts and "ShowCmd" when they differ from
    /// what readSettings found, then the three display flags.
    void writeSettings() const;

    /// The font of new editors: the stored display font, else the symbol face.
    QFont editorFont() const;

    /// Profile value of a colour (red in the low byte) and back.
    static int toColorRef(const QColor& colour);
    static QColor fromColorRef(int value);

private:
    struct Loaded {
        int showCmd = 3;
        bool wordWrap = false;
        int tabStops = 16; ///< tab width in dialog units, four to a character (1..16)
        QColor equationColor, commentsColor, backgroundColor;
        StoredFont displayFont, printFont;
        QString header, footer;
        bool headerTime = false, footerTime = false;
    };
    Loaded m_loaded;
    bool m_read = false;
};

} // namespace varnel
