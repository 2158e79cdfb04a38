// The graph definition dialog.
#include "GraphDefinitionDialog.h"

#include "AppSettings.h"
#include "ResultPrompts.h"
#include "ResultSheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace varnel {

namespace {

// Colours given to new curves in turn, distinct on white paper.
constexpr std::uint32_t kCurveColours[] = {0x0000C0, 0xC00000, 0x008000, 0xB000B0,
                                           0x007C80, 0xE07000, 0x000000};

QString fromStd(const std::string& s)
{
    return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}

std::string toStd(const QString& s)
{
    const QByteArray bytes = s.trimmed().toLocal8Bit();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

GraphDefinitionDialog::GraphDefinitionDialog(const QString& tablePath,
                                             const std::vector<std::string>& names,
                                             const ResultPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_tablePath(tablePath), m_prompts(prompts),
      m_variables(new QListWidget(this)), m_grid(new QTableWidget(0, ColumnCount, this)),
      m_horizontal(new QCheckBox(tr("Horizontal"), this)),
      m_vertical(new QCheckBox(tr("Vertical"), this)),
      m_oneGraph(new QCheckBox(tr("One Graph"), this)), m_type(new QComboBox(this))
{
    setWindowTitle(QStringLiteral("Graph: ") + tablePath);
    m_variables->setObjectName(QStringLiteral("variables"));
    m_grid->setObjectName(QStringLiteral("graphs"));
    fillVariables(names);

    m_grid->setHorizontalHeaderLabels({QStringLiteral("No"), QStringLiteral("X-axis"),
                                       QStringLiteral("Y-axis"), QStringLiteral("X-Title"),
                                       QStringLiteral("Y-Title"), QStringLiteral("Title"),
                                       QStringLiteral("Color")});
    m_grid->verticalHeader()->hide();
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    QFont face(QString::fromLatin1(kSymbolFace));
    face.setPixelSize(14);
    m_grid->setFont(face);
    QPalette yellow = m_grid->palette();
    yellow.setColor(QPalette::Base, QColor(255, 255, 224));
    m_grid->setPalette(yellow);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->setColumnWidth(No, 36);
    for (int c : {XAxis, YAxis})
        m_grid->setColumnWidth(c, 90);
    for (int c : {XTitle, YTitle, Title})
        m_grid->setColumnWidth(c, 110);
    m_grid->horizontalHeader()->setStretchLastSection(true);

    for (const std::string& name : graphTypeNames())
        m_type->addItem(fromStd(name));
    m_oneGraph->setChecked(true);

    auto* useX = new QPushButton(tr("Use as\n &x axis"), this);
    auto* useY = new QPushButton(tr("Use as\n &y axis"), this);
    auto* colour = new QPushButton(tr("Color"), this);
    auto* refreshButton = new QPushButton(tr("Refresh"), this);
    auto* add = new QPushButton(tr("&New"), this);
    auto* insert = new QPushButton(tr("&Insert"), this);
    auto* remove = new QPushButton(tr("&Delete"), this);
    connect(useX, &QPushButton::clicked, this, [this] { useSelectedVariable(true); });
    connect(useY, &QPushButton::clicked, this, [this] { useSelectedVariable(false); });
    connect(colour, &QPushButton::clicked, this, &GraphDefinitionDialog::chooseColour);
    connect(refreshButton, &QPushButton::clicked, this, &GraphDefinitionDialog::refresh);
    connect(add, &QPushButton::clicked, this, &GraphDefinitionDialog::newCurve);
    connect(insert, &QPushButton::clicked, this, &GraphDefinitionDialog::insertCurve);
    connect(remove, &QPushButton::clicked, this, &GraphDefinitionDialog::deleteCurve);
    connect(m_variables, &QListWidget::itemDoubleClicked, this, [this] {
        useSelectedVariable(!m_grid->item(m_grid->currentRow(), XAxis) ||
                            m_grid->item(m_grid->currentRow(), XAxis)->text().isEmpty());
    });

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(tr("Variables:"), this));
    left->addWidget(m_variables, 1);
    left->addWidget(useX);
    left->addWidget(useY);

    auto* curveButtons = new QHBoxLayout;
    for (QPushButton* b : {colour, refreshButton, add, insert, remove})
        curveButtons->addWidget(b);
    curveButtons->addStretch();

    auto* grid = new QGroupBox(tr("Show Grid"), this);
    auto* gridLayout = new QHBoxLayout(grid);
    gridLayout->addWidget(m_horizontal);
    gridLayout->addWidget(m_vertical);
    auto* options = new QHBoxLayout;
    options->addWidget(grid);
    options->addWidget(m_oneGraph);
    options->addSpacing(12);
    options->addWidget(new QLabel(tr("Type"), this));
    options->addWidget(m_type);
    options->addStretch();

    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(tr("Graphs:"), this));
    right->addWidget(m_grid, 1);
    right->addLayout(curveButtons);
    right->addLayout(options);

    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &GraphDefinitionDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(buttons);
    resize(860, 440);
}

void GraphDefinitionDialog::fillVariables(const std::vector<std::string>& names)
{
    m_variables->clear();
    for (const std::string& name : names)
        m_variables->addItem(fromStd(name));
    if (m_variables->count() > 0)
        m_variables->setCurrentRow(0);
}

void GraphDefinitionDialog::setRow(int row, const GraphCurve& curve)
{
    auto put = [this, row](int column, const QString& text, bool editable) {
        auto* item = new QTableWidgetItem(text);
        if (!editable)
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        m_grid->setItem(row, column, item);
        return item;
    };
    put(No, QString::number(row + 1), false);
    put(XAxis, fromStd(curve.xName), true);
    put(YAxis, fromStd(curve.yName), true);
    put(XTitle, fromStd(curve.xTitle), true);
    put(YTitle, fromStd(curve.yTitle), true);
    put(Title, fromStd(curve.title), true);
    const QColor colour = QColor::fromRgb(static_cast<QRgb>(curve.color & 0xFFFFFF));
    QTableWidgetItem* swatch = put(Colour, QString(), false);
    swatch->setBackground(colour);
    swatch->setData(Qt::UserRole, colour);
}

void GraphDefinitionDialog::renumber()
{
    for (int r = 0; r < m_grid->rowCount(); ++r)
        if (QTableWidgetItem* item = m_grid->item(r, No))
            item->setText(QString::number(r + 1));
}

std::uint32_t GraphDefinitionDialog::nextColour() const
{
    return kCurveColours[static_cast<std::size_t>(m_grid->rowCount()) % std::size(kCurveColours)];
}

void GraphDefinitionDialog::addCurve(const GraphCurve& curve)
{
    const int row = m_grid->rowCount();
    m_grid->insertRow(row);
    setRow(row, curve);
    m_grid->setCurrentCell(row, XAxis);
}

std::vector<GraphCurve> GraphDefinitionDialog::curves() const
{
    std::vector<GraphCurve> result;
    auto cell = [this](int row, int column) {
        QTableWidgetItem* item = m_grid->item(row, column);
        return item ? toStd(item->text()) : std::string();
    };
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        GraphCurve curve;
        curve.xName = cell(r, XAxis);
        curve.yName = cell(r, YAxis);
        if (curve.xName.empty() || curve.yName.empty())
            continue;
        curve.xTitle = cell(r, XTitle);
        curve.yTitle = cell(r, YTitle);
        curve.title = cell(r, Title);
        if (QTableWidgetItem* swatch = m_grid->item(r, Colour))
            curve.color = swatch->data(Qt::UserRole).value<QColor>().rgb() & 0xFFFFFF;
        result.push_back(curve);
    }
    return result;
}

GraphOptions GraphDefinitionDialog::options() const
{
    GraphOptions options;
    options.oneGraph = m_oneGraph->isChecked();
    options.horizontalGrid = m_horizontal->isChecked();
    options.verticalGrid = m_vertical->isChecked();
    options.type = static_cast<GraphType>(std::max(0, m_type->currentIndex()));
    return options;
}

void GraphDefinitionDialog::setOptions(const GraphOptions& options)
{
    m_oneGraph->setChecked(options.oneGraph);
    m_horizontal->setChecked(options.horizontalGrid);
    m_vertical->setChecked(options.verticalGrid);
    m_type->setCurrentIndex(static_cast<int>(options.type));
}

void GraphDefinitionDialog::useSelectedVariable(bool asX)
{
    QListWidgetItem* variable = m_variables->currentItem();
    if (!variable)
        return;
    if (m_grid->currentRow() < 0)
        newCurve();
    const int row = m_grid->currentRow();
    m_grid->item(row, asX ? XAxis : YAxis)->setText(variable->text());
}

void GraphDefinitionDialog::newCurve()
{
    GraphCurve curve;
    curve.color = nextColour();
    addCurve(curve);
}

void GraphDefinitionDialog::insertCurve()
{
    const int row = std::max(0, m_grid->currentRow());
    GraphCurve curve;
    curve.color = nextColour();
    m_grid->insertRow(row);
    setRow(row, curve);
    renumber();
    m_grid->setCurrentCell(row, XAxis);
}

void GraphDefinitionDialog::deleteCurve()
{
    const int row = m_grid->currentRow();
    if (row < 0)
        return;
    m_grid->removeRow(row);
    renumber();
}

void GraphDefinitionDialog::chooseColour()
{
    const int row = m_grid->currentRow();
    if (row < 0)
        return;
    QTableWidgetItem* swatch = m_grid->item(row, Colour);
    const QColor chosen = promptColour(m_prompts, this, swatch->data(Qt::UserRole).value<QColor>());
    if (!chosen.isValid())
        return;
    swatch->setBackground(chosen);
    swatch->setData(Qt::UserRole, chosen);
}

void GraphDefinitionDialog::refresh()
{
    ResultSheet table;
    if (!readResultSheet(m_tablePath.toLocal8Bit().toStdString(), table)) {
        promptNotify(m_prompts, this, QStringLiteral("Varnel"),
                     QStringLiteral("File does not exist!!"));
        return;
    }
    fillVariables(table.names);
}

void GraphDefinitionDialog::accept()
{
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        const QTableWidgetItem* x = m_grid->item(r, XAxis);
        const QTableWidgetItem* y = m_grid->item(r, YAxis);
        const bool hasX = x && !x->text().trimmed().isEmpty();
        const bool hasY = y && !y->text().trimmed().isEmpty();
        if (hasX != hasY) {
            promptNotify(
                m_prompts, this, QStringLiteral("Varnel"),
                tr("Curve %1 needs a variable for the X-axis and one for the Y-axis.").arg(r + 1));
            return;
        }
    }
    if (curves().empty()) {
        promptNotify(m_prompts, this, QStringLiteral("Varnel"),
                     QStringLiteral("There is nothing to be drawn"));
        return;
    }
    QDialog::accept();
}

} // namespace varnel
