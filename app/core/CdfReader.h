// Reads the bus, branch and area-interchange sections of a network file in the IEEE
// Common Data Format into plain card records, in the order of the file. Fed by a text
// stream; the power-flow generator turns the records into equations.
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace varnel {

struct CdfBus {
    int number = 0;
    std::string name;
    int area = 0;
    int zone = 0;
    int type = 0;
    double voltage = 0.0; ///< final voltage, per unit
    double angle = 0.0;   ///< final angle, degrees
    double loadMw = 0.0;
    double loadMvar = 0.0;
    double generationMw = 0.0;
    double generationMvar = 0.0;
    double baseKv = 0.0;
    double desiredVoltage = 0.0;
    double shuntG = 0.0; ///< per unit on the system base
    double shuntB = 0.0;
    int line = 0; ///< line of the file the card was read from
};

struct CdfBranch {
    int from = 0; ///< tap bus
    int to = 0;   ///< impedance bus
    int area = 0;
    int zone = 0;
    int circuit = 0;
    int type = 0;
    double r = 0.0;
    double x = 0.0;
    double charging = 0.0; ///< total line charging B, per unit
    double ratio = 0.0;    ///< final turns ratio; 0 when the branch is no transformer
    double shift = 0.0;    ///< final phase-shift angle, degrees
    int line = 0;
};

struct CdfInterchange {
    int area = 0;
    int slackBus = 0;
    std::string name;
    double exportMw = 0.0; ///< net scheduled export, MW (positive out of the area)
    int line = 0;
};

struct CdfNetwork {
    std::vector<CdfBus> buses;
    std::vector<CdfBranch> branches;
    std::vector<CdfInterchange> interchanges;
};

struct CdfReadResult {
    bool ok = false;
    std::string message; ///< why the reading failed ("line N: ...")
    CdfNetwork network;
};

/// Reads sections up to the line whose first word is "END". The first word of a line
/// outside a section selects "BUS", "BRANCH" or "INTERCHANGE"; other lines are skipped.
/// A section ends at a card whose first integer is <= 0; blank lines inside it are
/// skipped. A card that reaches the last field the conversion needs and whose fixed
/// columns all read cleanly is read by the columns of the format (names with blanks,
/// numbers that touch); any other card is read as whitespace-separated fields in the
/// same order, and a field missing at its end keeps the value of the section's previous
/// card. A field that is there but is not a number fails the reading with "line L,
/// column C: "text" is not a number" (the column of the format's field when the card
/// reaches the format's columns). The item count of a section header is only a hint: when an
/// INTERCHANGE section closes before its count of cards, the cards right after the end line still
/// count. Never throws on any input; a file that ends before "END" fails with a clear message.
CdfReadResult readCdf(std::istream& in);

} // namespace varnel
