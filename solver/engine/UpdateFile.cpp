// Writing the last solution as starting-value statements and reading them back.
#include "UpdateFile.h"

#include "EquationFile.h"
#include "ProductFile.h"
#include "SourceMap.h"
#include "Symbols.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace varnel {

std::string updateFileText(const VariableTable& variables)
{
    std::string text = "{Solution of the last run, as starting values}\n";
    for (int k = 1; k <= variables.count(); ++k) {
        const std::string& name = variables.names[static_cast<std::size_t>(k)];
        const double value = variables.values[static_cast<std::size_t>(k)];
        if (!std::isfinite(value)) {
            text += "{" + name + " has no finite value}\n";
            continue;
        }
        char number[40];
        std::snprintf(number, sizeof number, "%.17g", value);
        text += name;
        text += static_cast<char>(symbol::StartingValueRelation);
        text += number;
        text += ";\n";
    }
    return text;
}

bool writeUpdateFile(RunContext& context)
{
    Reporter& reporter = context.reporter;
    const std::string path = context.files.baseName + ".UPD";
    reporter.announce("Saving Solution to File:  " + path);
    if (!writeProduct(path, updateFileText(context.set.variables))) {
        reporter.send("\n");
        reporter.send("Unable to open file for output");
        reporter.raiseError();
        return false;
    }
    return true;
}

bool readUpdateFile(RunContext& context, const std::string& path)
{
    Reporter& reporter = context.reporter;
    std::error_code ec;
    TextFile source;
    source.suppressMessages = true;
    if (!std::filesystem::is_regular_file(path, ec) || !source.openRead(path)) {
        reporter.send("\n");
        reporter.send("File ");
        reporter.send(path);
        reporter.send(" Does Not Exist");
        reporter.send("\n");
        return true;
    }
    EquationSet statements;
    ParseState state;
    const std::string folder = std::filesystem::path(path).parent_path().string();
    std::string text;
    source.readRest(text);
    const bool readWhole = source.result() == 0;
    source.close();
    // A mistake is shown at its line in the update file, which the user may have edited.
    SourceMap map;
    map.setOriginal(text);
    map.setName(path);
    map.mapPiece(0, 0);
    const bool parsed =
        readWhole && readStatements(map.original(), &map, false, folder.empty() ? "." : folder,
                                    statements, reporter, state);
    if (!parsed || state.abort) {
        reporter.send("\n");
        reporter.send("Update file ");
        reporter.send(path);
        reporter.send(" cannot be read");
        reporter.raiseError();
        return false;
    }
    // Each statement "v 0xBB expression" is the chain v, expression, "-": with v at 0 its
    // residual is minus the expression. Later statements see the values of earlier ones.
    std::vector<double> values(statements.variables.values.size(), 0.0);
    int taken = 0;
    for (const Equation& eq : statements.equations) {
        if (eq.relation != symbol::StartingValueRelation || eq.code.empty() ||
            eq.code.front().kind != kind::Variable)
            continue;
        const std::uint32_t v = eq.code.front().index;
        if (v == 0 || v >= values.size())
            continue;
        values[v] = 0.0;
        context.evaluator.clearError();
        const double residual = context.evaluator.evaluateReal(eq.code, values.data());
        if (context.evaluator.error().mark() || !std::isfinite(residual))
            continue;
        values[v] = -residual;
        const int target = context.set.variables.find(statements.variables.names[v]);
        if (target == 0)
            continue;
        context.set.variables.values[static_cast<std::size_t>(target)] = values[v];
        ++taken;
    }
    context.evaluator.clearError();
    reporter.send("Starting from ");
    reporter.send(path);
    reporter.sendf(": %d values\n", taken);
    return true;
}

} // namespace varnel
