// "Page Setup": the print header and footer templates ("&f" the file, "&p" the page, time
// codes) and, for each, whether it shows the file's time or the current time.
#pragma once

#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace varnel {

class AppSettings;

class PageSetupDialog : public QDialog {
    Q_OBJECT
public:
    PageSetupDialog(const AppSettings& settings, QWidget* parent = nullptr);
    /// Copies the dialog's values into the settings.
    void store(AppSettings& settings) const;

private:
    QLineEdit* m_header;
    QLineEdit* m_footer;
    QRadioButton* m_headerSystem;
    QRadioButton* m_footerSystem;
};

} // namespace varnel
