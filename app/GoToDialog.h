// "Move Cursor": asks for the character position the caret jumps to.
#pragma once

#include <QDialog>

class QSpinBox;

namespace varnel {

class GoToDialog : public QDialog {
    Q_OBJECT
public:
    GoToDialog(int position, int maximum, QWidget* parent = nullptr);
    int position() const;

private:
    QSpinBox* m_position;
};

} // namespace varnel
