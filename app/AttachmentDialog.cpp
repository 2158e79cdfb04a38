// The attachment editor. Cells hold characters; the file holds the bytes of the symbol codec,
// so names with Greek letters and the starting-value sign survive a load and a save.
#include "AttachmentDialog.h"

#include "SymbolCodec.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace varnel {

namespace {

const QString kTitle = QStringLiteral("Attachment");
constexpr int kNumberColumnWidth = 50;

QString decoded(const std::string& bytes)
{
    const std::u32string text = decodeEquationBytes(bytes);
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

QString startValueSign()
{
    const char32_t sign = symbolForByte(kStartValueSign);
    return QString::fromUcs4(&sign, 1);
}

// The bytes of a cell, or false with the character that has none.
bool encoded(const QString& text, std::string& bytes, char32_t& bad)
{
    const EncodeResult result = encodeEquationText(text.toStdU32String());
    if (!result.ok) {
        bad = result.badSymbol;
        return false;
    }
    bytes = result.bytes;
    return true;
}

QString describe(char32_t symbol)
{
    return QStringLiteral("\"%1\" (U+%2)")
        .arg(QString::fromUcs4(&symbol, 1),
             QString::number(static_cast<uint>(symbol), 16).toUpper().rightJustified(4, '0'));
}

} // namespace

AttachmentPrompts AttachmentPrompts::standard()
{
    AttachmentPrompts prompts;
    prompts.chooseFile = [](QWidget* parent, const QString& title, const QString& folder,
                            const QString& filter, bool save) {
        return save ? QFileDialog::getSaveFileName(parent, title, folder, filter)
                    : QFileDialog::getOpenFileName(parent, title, folder, filter);
    };
    prompts.ask = [](QWidget* parent, const QString& title, const QString& text) {
        return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    };
    prompts.tell = [](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox::warning(parent, title, text);
    };
    prompts.runEditor = [](AttachmentDialog& dialog) { return dialog.exec(); };
    return prompts;
}

AttachmentDialog::AttachmentDialog(const QString& fileName, AttachmentPrompts prompts,
                                   const QString& folder, QWidget* parent)
    : QDialog(parent), m_prompts(std::move(prompts)),
      m_fileName(fileName.isEmpty() ? kNoName : fileName), m_folder(folder),
      m_grid(new QTableWidget(this)), m_name(new QLineEdit(this)),
      m_approx(new QCheckBox(tr("Approx:"), this))
{
    setObjectName("AttachmentDialog");
    setWindowTitle(kTitle);
    m_grid->setObjectName("grid");
    m_grid->verticalHeader()->setMinimumWidth(kNumberColumnWidth);
    m_grid->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_grid->horizontalHeader()->setSectionsClickable(true);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    // The corner cell above the row numbers is headed "  No".
    m_corner = m_grid->findChild<QAbstractButton*>();
    if (m_corner)
        m_corner->installEventFilter(this);
    m_name->setObjectName("name");
    m_approx->setLayoutDirection(Qt::RightToLeft);

    auto* side = new QVBoxLayout;
    auto addButton = [&](const QString& text, std::function<void()> slot) {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, std::move(slot));
        side->addWidget(b);
        m_buttons.append(b);
        return b;
    };
    addButton(tr("Add &Row"), [this] { addRow(); });
    addButton(tr("Add &Column"), [this] { addColumn(); });
    addButton(tr("&Insert Row"), [this] { insertRow(); });
    addButton(tr("Inser&t Column"), [this] { insertColumn(); });
    addButton(tr("Delete &Column"), [this] { deleteColumn(); });
    addButton(tr("&Delete Row"), [this] { deleteRow(); });
    side->addSpacing(12);
    side->addWidget(new QLabel(tr("Variable name:"), this));
    side->addWidget(m_name);
    addButton(tr("Get VarName"), [this] { getVarName(); });
    addButton(tr("RefreshVar"), [this] { refreshVar(); });
    side->addWidget(m_approx);
    side->addStretch(1);
    addButton(tr("Save"), [this] { save(); });
    addButton(tr("Don't Save"), [this] { reject(); });

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addLayout(side);
    resize(620, 380);

    connect(m_grid, &QTableWidget::currentCellChanged, this,
            [this](int, int column) { m_column = column; });
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { m_column = column; });
    if (m_fileName == kNoName) {
        m_grid->setColumnCount(1);
        m_grid->setRowCount(1);
        setFocusedColumn(0);
    } else {
        load();
    }
    connect(m_grid, &QTableWidget::itemChanged, this, [this] { edited(); });
}

QPushButton* AttachmentDialog::button(const QString& text) const
{
    for (QPushButton* b : m_buttons)
        if (b->text() == text)
            return b;
    return nullptr;
}

void AttachmentDialog::load()
{
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (file.exists())
            m_loadError = tr("The list file \"%1\" cannot be read: %2")
                              .arg(QDir::toNativeSeparators(m_fileName), file.errorString());
        return;
    }
    const QByteArray bytes = file.readAll();
    const ListTable table = readListTable(std::string_view(bytes.constData(), bytes.size()));
    m_count = writeListTable(table).count;
    const int columns = static_cast<int>(table.names.size());
    m_grid->setColumnCount(columns);
    m_grid->setRowCount(static_cast<int>(table.rows.size()));
    for (int c = 0; c < columns; ++c)
        setColumnName(c, decoded(table.names[static_cast<std::size_t>(c)]));
    for (int r = 0; r < m_grid->rowCount(); ++r)
        for (int c = 0; c < columns; ++c)
            m_grid->setItem(
                r, c,
                new QTableWidgetItem(
                    decoded(table.rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)])));
    setFocusedColumn(columns > 0 ? 0 : -1);
}

QString AttachmentDialog::columnName(int column) const
{
    const QTableWidgetItem* item = m_grid->horizontalHeaderItem(column);
    return item ? item->text() : QString();
}

void AttachmentDialog::setColumnName(int column, const QString& name)
{
    m_grid->setHorizontalHeaderItem(column, new QTableWidgetItem(name));
}

int AttachmentDialog::focusedColumn() const
{
    if (m_grid->columnCount() == 0)
        return -1;
    return std::clamp(m_column, 0, m_grid->columnCount() - 1);
}

void AttachmentDialog::setFocusedColumn(int column)
{
    m_column = column;
    if (column >= 0 && m_grid->rowCount() > 0)
        m_grid->setCurrentCell(std::max(m_grid->currentRow(), 0), column);
}

void AttachmentDialog::edited()
{
    m_edited = true;
}

bool AttachmentDialog::table(ListTable& table, QString& error) const
{
    table = {};
    const int columns = m_grid->columnCount();
    char32_t bad = 0;
    for (int c = 0; c < columns; ++c) {
        std::string bytes;
        if (!encoded(columnName(c), bytes, bad)) {
            error = tr("The character %1 in the name of column %2 cannot be stored in a list "
                       "file.")
                        .arg(describe(bad))
                        .arg(c + 1);
            return false;
        }
        table.names.push_back(bytes);
    }
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        ListRow row;
        for (int c = 0; c < columns; ++c) {
            const QTableWidgetItem* item = m_grid->item(r, c);
            std::string bytes;
            if (!encoded(item ? item->text() : QString(), bytes, bad)) {
                error = tr("The character %1 in row %2, column %3 cannot be stored in a list "
                           "file.")
                            .arg(describe(bad))
                            .arg(r + 1)
                            .arg(c + 1);
                return false;
            }
            row.push_back(bytes);
        }
        table.rows.push_back(std::move(row));
    }
    return true;
}

bool AttachmentDialog::save()
{
    ListTable grid;
    QString error;
    if (!table(grid, error)) {
        m_prompts.tell(this, kTitle, error);
        return false;
    }
    if (const std::string problem = checkListTable(grid); !problem.empty()) {
        m_prompts.tell(this, kTitle, decoded(problem));
        return false;
    }
    QString path = m_fileName;
    if (path.isEmpty() || path == kNoName) {
        path = m_prompts.chooseFile(this, tr("Attachment File - Save"), m_folder, kFilter, true);
        if (path.isEmpty())
            return false;
        if (!QFileInfo(path).fileName().contains(QLatin1Char('.')))
            path += QStringLiteral(".LST");
    }
    const ListFileText text = writeListTable(grid);
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(text.bytes.data(), static_cast<qint64>(text.bytes.size())) ==
                             static_cast<qint64>(text.bytes.size()) &&
                         file.commit();
    if (!written) {
        m_prompts.tell(this, kTitle,
                       tr("The list file \"%1\" cannot be written: %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    m_fileName = path;
    m_count = text.count;
    m_edited = false;
    accept();
    return true;
}

void AttachmentDialog::reject()
{
    if (m_edited &&
        !m_prompts.ask(this, kTitle, tr("The list has been changed. Discard the changes?")))
        return;
    QDialog::reject();
}

void AttachmentDialog::addRow()
{
    m_grid->insertRow(m_grid->rowCount());
    edited();
}

void AttachmentDialog::addColumn()
{
    m_grid->insertColumn(m_grid->columnCount());
    setColumnName(m_grid->columnCount() - 1, QString());
    if (m_column < 0)
        m_column = 0;
    edited();
}

void AttachmentDialog::insertRow()
{
    m_grid->insertRow(std::max(m_grid->currentRow(), 0));
    edited();
}

void AttachmentDialog::insertColumn()
{
    const int column = std::max(focusedColumn(), 0);
    m_grid->insertColumn(column);
    setColumnName(column, QString());
    m_column = column;
    edited();
}

void AttachmentDialog::deleteColumn()
{
    const int column = focusedColumn();
    if (column < 0)
        return;
    m_grid->removeColumn(column);
    m_column = std::min(column, m_grid->columnCount() - 1);
    edited();
}

void AttachmentDialog::deleteRow()
{
    const int row = m_grid->currentRow();
    if (row < 0)
        return;
    m_grid->removeRow(row);
    edited();
}

void AttachmentDialog::getVarName()
{
    const int column = focusedColumn();
    if (column < 0)
        return;
    QString name = columnName(column);
    const bool start = name.endsWith(startValueSign());
    if (start)
        name.chop(startValueSign().size());
    m_name->setText(name);
    m_approx->setChecked(start);
}

void AttachmentDialog::refreshVar()
{
    const int column = focusedColumn();
    if (column < 0)
        return;
    QString name = m_name->text().trimmed();
    while (name.endsWith(startValueSign()))
        name.chop(startValueSign().size());
    if (m_approx->isChecked())
        name += startValueSign();
    if (name == columnName(column))
        return;
    setColumnName(column, name);
    edited();
}

bool AttachmentDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_corner && event->type() == QEvent::Paint) {
        QStylePainter painter(m_corner);
        QStyleOptionHeader option;
        option.initFrom(m_corner);
        option.rect = m_corner->rect();
        option.text = QStringLiteral("  No");
        option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        option.position = QStyleOptionHeader::OnlyOneSection;
        painter.drawControl(QStyle::CE_Header, option);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace varnel
