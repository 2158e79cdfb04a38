// The options sheet ("Settings: " + document title): the Method page edits a document's
// solution settings, the General page the program-wide display switches and editor colours.
// Nothing changes until OK, and OK changes nothing while a field of the Method page does not
// convert: the sheet then stays open on that field with the message.
#pragma once

#include "varnel/Varnel.h"

#include <QDialog>

#include <functional>

class QTabWidget;

namespace varnel {

class AppSettings;
class GeneralPage;
class MethodPage;

class OptionsSheet : public QDialog {
    Q_OBJECT
public:
    /// Shows the message of a field that does not convert (title, text).
    using Notifier = std::function<void(const QString&, const QString&)>;

    /// A sheet on `options` (a document's settings, titled `title`) and the program's
    /// `settings`; both are written only when the sheet is accepted.
    OptionsSheet(const QString& title, SolverOptions& options, AppSettings& settings,
                 Notifier notifier, QWidget* parent = nullptr);

    MethodPage* methodPage() const { return m_method; }
    GeneralPage* generalPage() const { return m_general; }
    QTabWidget* pages() const { return m_pages; }
    /// True once the General page has been shown: only then does OK store it.
    bool generalShown() const { return m_generalShown; }

public slots:
    /// Stores the pages and closes, or keeps the sheet open on the first field that does
    /// not convert.
    void accept() override;

private:
    SolverOptions& m_options;
    AppSettings& m_settings;
    Notifier m_notifier;
    QTabWidget* m_pages;
    MethodPage* m_method;
    GeneralPage* m_general;
    bool m_generalShown = false;
};

} // namespace varnel
