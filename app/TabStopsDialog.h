// "Set Tab Stops": asks for the tab-stop setting, an integer from 1 to 16; other input keeps
// the dialog open with the range message.
#pragma once

#include <QDialog>

#include <optional>

class QLineEdit;

namespace varnel {

class TabStopsDialog : public QDialog {
    Q_OBJECT
public:
    TabStopsDialog(int tabStops, QWidget* parent = nullptr);
    int tabStops() const { return m_value; }

    /// The value of `text` when it is an integer from 1 to 16.
    static std::optional<int> parse(const QString& text);

public slots:
    void accept() override;

private:
    QLineEdit* m_edit;
    int m_value;
};

} // namespace varnel
