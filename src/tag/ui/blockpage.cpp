#include "tag/ui/blockpage.h"

#include "common/ui/designsize.h"
#include "common/ui/named.h"
#include "link/printercommands.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr int kGridColumns = 4;
constexpr int kRowsPerGridColumn = 7;

QPushButton *gridButton(const char *name, const QString &caption, const QString &toolTip)
{
    auto *b = named(new QPushButton(caption), name);
    if (!toolTip.isEmpty())
        b->setToolTip(toolTip);
    setDesignMinimumSize(b, {91, 31});
    return b;
}

}  // namespace

BlockPage::BlockPage(BlockModel &model, QWidget *parent)
    : QFrame(parent), m_model(model), m_hexDigits(new QRegularExpressionValidator(
                                          QRegularExpression(QStringLiteral("[0-9A-Fa-f]*")), this))
{
    named(this, "Frame1");
    setProperty("index", 2);
    setFrameStyle(QFrame::NoFrame);

    QGridLayout *rows = buildRows();
    QWidget *gridButtons = buildGridButtons();
    QLayout *options = buildOptions();
    QLayout *tools = buildTools();
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(gridButtons);
    bottom->addLayout(options);
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);
    page->addLayout(rows);
    page->addLayout(tools);
    page->addStretch(1);
    page->addLayout(bottom);

    setTabOrders();
    bindRows();
    bindButtons();
    bindKeys();
}

// Four columns of seven: column c holds the rows 7c to 7c + 6, top to bottom.
QGridLayout *BlockPage::buildRows()
{
    QFont fieldFont(QStringLiteral("Arial"));
    fieldFont.setPointSizeF(9.75);
    fieldFont.setBold(true);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    for (int i = 0; i < kRows; ++i) {
        const int column = i / kRowsPerGridColumn;
        const int row = i % kRowsPerGridColumn;
        QCheckBox *check =
            named(new QCheckBox(QStringLiteral("Blocco %1").arg(i + 1)), "chkBlocks");
        check->setProperty("index", i);
        QLineEdit *field = named(new QLineEdit, "txtBlocks");
        field->setProperty("index", i);
        field->setMaxLength(printer::kBlockSize);
        field->setFont(fieldFont);
        // Room for the eight digits of a block in hexadecimal.
        field->setFixedWidth(
            qMax(70, QFontMetrics(fieldFont).horizontalAdvance(QStringLiteral("DDDDDDDD")) + 14));
        field->setAccessibleName(QStringLiteral("Blocco %1").arg(i + 1));
        grid->addWidget(check, row, column * 2);
        grid->addWidget(field, row, column * 2 + 1);
        if (column < kGridColumns - 1)
            grid->setColumnMinimumWidth(column * 2 + 1, 90);
        m_rowChecks[size_t(i)] = check;
        m_rowFields[size_t(i)] = field;
    }
    return grid;
}

QWidget *BlockPage::buildGridButtons()
{
    auto *frame = named(new QFrame, "Frame4");
    frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto *buttons = new QHBoxLayout(frame);
    m_writeButton = gridButton("cmdWriteBlocks", QStringLiteral("SCRIVI"),
                               QStringLiteral("Scrive i dati dei blocchi selezionati"));
    m_readButton = gridButton("cmdReadBlocks", QStringLiteral("LEGGI"),
                              QStringLiteral("Legge i dati dei blocchi selezionati"));
    m_printButton = gridButton("cmdStampa2", QStringLiteral("STAMPA"), QString());
    m_selectAllButton = gridButton("cmdSelAll", QStringLiteral("Seleziona tutto"),
                                   QStringLiteral("Seleziona tutti i blocchi"));
    m_unselectAllButton = gridButton("cmdUnselAll", QStringLiteral("Deseleziona tutto"),
                                     QStringLiteral("Deseleziona tutti i blocchi"));
    m_clearButton =
        gridButton("cmdClearFlds", QStringLiteral("Cancella campi"),
                   QStringLiteral("Cancella i campi dati di tutti i blocchi (solo a video)"));
    for (QPushButton *b : {m_writeButton, m_readButton, m_printButton, m_selectAllButton,
                           m_unselectAllButton, m_clearButton})
        buttons->addWidget(b);
    return frame;
}

QLayout *BlockPage::buildOptions()
{
    m_verifyCheck = named(new QCheckBox(QStringLiteral("&Verifica dopo scrittura")), "chkVerify");
    m_verifyCheck->setToolTip(
        QStringLiteral("Dopo la scrittura rilegge i blocchi scritti e li confronta"));
    m_hexCheck = named(new QCheckBox(QStringLiteral("&Esadecimale")), "chkHex");
    m_hexCheck->setToolTip(QStringLiteral("Mostra e accetta i dati dei blocchi come cifre "
                                          "esadecimali, due per byte"));
    auto *options = new QVBoxLayout;
    options->addWidget(m_verifyCheck);
    options->addWidget(m_hexCheck);
    return options;
}

QLayout *BlockPage::buildTools()
{
    m_stopButton =
        gridButton("cmdStop", QStringLiteral("&Interrompi"),
                   QStringLiteral("Ferma la lettura o la scrittura dopo il blocco in corso"));
    m_stopButton->setEnabled(false);
    m_loadButton =
        gridButton("cmdLoadBlocks", QStringLiteral("Ca&rica..."),
                   QStringLiteral("Riempie i campi dei blocchi da un file (.bin o .json)"));
    m_saveButton =
        gridButton("cmdSaveBlocks", QStringLiteral("&Salva..."),
                   QStringLiteral("Salva i campi dei blocchi in un file (.bin o .json)"));
    m_productionButton =
        gridButton("cmdProduction", QStringLiteral("Pro&duzione..."),
                   QStringLiteral("Programma, verifica, etichetta e registra una serie di tag con "
                                  "i dati della griglia"));
    auto *tools = new QHBoxLayout;
    tools->addWidget(m_stopButton);
    tools->addStretch(1);
    tools->addWidget(m_productionButton);
    tools->addWidget(m_loadButton);
    tools->addWidget(m_saveButton);
    return tools;
}

// Row by row, each check box before its field, then the buttons.
void BlockPage::setTabOrders()
{
    QWidget *previous = nullptr;
    for (int i = 0; i < kRows; ++i) {
        if (previous)
            setTabOrder(previous, m_rowChecks[size_t(i)]);
        setTabOrder(m_rowChecks[size_t(i)], m_rowFields[size_t(i)]);
        previous = m_rowFields[size_t(i)];
    }
    for (QWidget *b : std::initializer_list<QWidget *>{
             m_stopButton, m_productionButton, m_loadButton, m_saveButton, m_writeButton,
             m_readButton, m_printButton, m_selectAllButton, m_unselectAllButton, m_clearButton,
             m_verifyCheck, m_hexCheck}) {
        setTabOrder(previous, b);
        previous = b;
    }
}

// The fields show the model's bytes and the check boxes its selection; what the operator types
// or ticks goes back into it.
void BlockPage::bindRows()
{
    for (int i = 0; i < kRows; ++i) {
        connect(m_rowFields[size_t(i)], &QLineEdit::textChanged, this,
                [this, i](const QString &text) {
                    if (!m_showing)
                        m_model.edit(i, text);
                });
        connect(m_rowChecks[size_t(i)], &QCheckBox::toggled, &m_model,
                [this, i](bool checked) { m_model.setSelected(i, checked); });
    }
    connect(&m_model, &BlockModel::selectionChanged, this,
            [this](int row) { m_rowChecks[size_t(row)]->setChecked(m_model.selected(row)); });
    connect(&m_model, &BlockModel::marksChanged, this, &BlockPage::showMarks);
    connect(&m_model, &BlockModel::rowChanged, this, &BlockPage::showRow);
    connect(&m_model, &BlockModel::modeChanged, this, &BlockPage::showMode);
    connect(m_hexCheck, &QCheckBox::toggled, this, &BlockPage::onHexToggled);
}

void BlockPage::bindButtons()
{
    // The grid's own buttons change only the screen.
    const auto selectAll = [this](bool selected) {
        for (int i = 0; i < kRows; ++i)
            m_model.setSelected(i, selected);
    };
    connect(m_selectAllButton, &QPushButton::clicked, this, [selectAll] { selectAll(true); });
    connect(m_unselectAllButton, &QPushButton::clicked, this, [selectAll] { selectAll(false); });
    connect(m_clearButton, &QPushButton::clicked, this, [this] {
        m_model.clear();
        m_model.setFailedRows({});
    });
    connect(m_readButton, &QPushButton::clicked, this, &BlockPage::readRequested);
    connect(m_writeButton, &QPushButton::clicked, this,
            [this] { emit writeRequested(m_verifyCheck->isChecked()); });
    connect(m_printButton, &QPushButton::clicked, this, &BlockPage::printRequested);
    connect(m_stopButton, &QPushButton::clicked, this, &BlockPage::stopRequested);
    connect(m_loadButton, &QPushButton::clicked, this, &BlockPage::loadRequested);
    connect(m_saveButton, &QPushButton::clicked, this, &BlockPage::saveRequested);
    connect(m_productionButton, &QPushButton::clicked, this, &BlockPage::productionRequested);
}

// Keys that press the page's buttons, as a click would: nothing while the button is disabled (an
// operation runs). The file keys work while the page is shown; the grid's from within the page,
// so that the ticked rows are written without tabbing past 56 controls.
void BlockPage::bindKeys()
{
    struct Key
    {
        QKeyCombination keys;
        QPushButton *button;
        Qt::ShortcutContext context;
    };
    const Key table[] = {{Qt::CTRL | Qt::Key_S, m_saveButton, Qt::WindowShortcut},
                         {Qt::CTRL | Qt::Key_O, m_loadButton, Qt::WindowShortcut},
                         {Qt::CTRL | Qt::Key_Return, m_writeButton, Qt::WidgetWithChildrenShortcut},
                         {Qt::CTRL | Qt::Key_Enter, m_writeButton, Qt::WidgetWithChildrenShortcut},
                         {Qt::CTRL | Qt::Key_L, m_readButton, Qt::WidgetWithChildrenShortcut}};
    for (const Key &k : table)
        new QShortcut(QKeySequence(k.keys), this, k.button, &QPushButton::click, k.context);
}

void BlockPage::onHexToggled(bool hex)
{
    const auto mode = hex ? BlockModel::Mode::Hex : BlockModel::Mode::Characters;
    if (m_model.setMode(mode))
        return;
    // A field that is not whole bytes yet cannot be shown the other way.
    const QSignalBlocker blocker(m_hexCheck);
    m_hexCheck->setChecked(!hex);
    emit modeRefused(m_model.rowsWithProblems());
}

void BlockPage::showRow(int row)
{
    const QScopedValueRollback showing(m_showing, true);
    m_rowFields[size_t(row)]->setText(m_model.text(row));
}

void BlockPage::showMode(BlockModel::Mode mode)
{
    const QScopedValueRollback showing(m_showing, true);
    const bool hex = mode == BlockModel::Mode::Hex;
    for (QLineEdit *field : m_rowFields) {
        field->setMaxLength(m_model.maxLength());
        field->setValidator(hex ? m_hexDigits : nullptr);
    }
    const QSignalBlocker blocker(m_hexCheck);
    m_hexCheck->setChecked(hex);
}

void BlockPage::setStopAllowed(bool allowed)
{
    m_stopButton->setEnabled(allowed);
}

void BlockPage::showPrinting(bool printing)
{
    m_printButton->setText(printing ? QStringLiteral("STAMPA...") : QStringLiteral("STAMPA"));
    m_printButton->repaint();
}

void BlockPage::showMarks(int row)
{
    QLineEdit *field = m_rowFields[size_t(row)];
    QPalette palette;
    const bool failed = m_model.failedRows().contains(row);
    if (row == m_model.workingRow())
        palette.setColor(QPalette::Base, QColor(0xFF, 0xF1, 0xA8));
    else if (failed)
        palette.setColor(QPalette::Base, QColor(0xF8, 0xB4, 0xB4));
    field->setPalette(palette);
    const QString failure = m_model.failureText(row);
    field->setToolTip(failure);
    field->setAccessibleDescription(failure);
}
