// What every palette button and insertion command of the equation editor puts into the
// text: operators, function templates, digits, letters, special functions and the symbol
// bytes, with the command ids, button names and accelerators of the desktop program.
#pragma once

#include <span>
#include <string_view>

namespace varnel {

enum class InsertKind {
    Text,      ///< insert the text, caret after it
    Function,  ///< insert the text, caret one character before its end
    Character, ///< insert one byte; a special byte gets the symbol face
};

struct PaletteEntry {
    int commandId;         ///< command id of the menu item (0 when it has none)
    std::string_view name; ///< button name, used as tool tip and menu text
    InsertKind kind;
    std::string_view bytes;    ///< what is inserted, as equation-file bytes
    std::string_view face;     ///< short text shown on the button (UTF-8); empty: the bytes
    std::string_view shortcut; ///< accelerator in portable key-sequence text, or empty
};

enum class Palette {
    OperatorsAndFunctions, ///< 28 buttons, a toolbar
    Numbers,               ///< 12 buttons, three per row
    Alphabet,              ///< 27 buttons, three per row
    SpecialFunctions,      ///< 12 buttons, three per row
    GreekAlphabet,         ///< 39 buttons, three per row
};

/// The buttons of a palette, in their order on the bar.
std::span<const PaletteEntry> paletteEntries(Palette palette);

/// True for the bytes shown with the symbol face: the symbol palette's bytes and "@", "*",
/// "<" and ">".
bool isSpecialCharacter(unsigned char byte);

} // namespace varnel
