#include "tag/blockpage.h"

#include "common/designsize.h"
#include "common/named.h"
#include "tag/blockdata.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

constexpr int kColumns = 4;
constexpr int kRowsPerColumn = 7;

QPushButton *button(const char *name, const QString &caption, const QString &toolTip)
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

    QFont fieldFont(QStringLiteral("Arial"));
    fieldFont.setPointSizeF(9.75);
    fieldFont.setBold(true);

    // Four columns of seven: column c holds the rows 7c to 7c + 6, top to bottom.
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    for (int i = 0; i < kRows; ++i) {
        const int column = i / kRowsPerColumn;
        const int row = i % kRowsPerColumn;
        chkBlocks[i] = named(new QCheckBox(QStringLiteral("Blocco %1").arg(i + 1)), "chkBlocks");
        chkBlocks[i]->setProperty("index", i);
        txtBlocks[i] = named(new QLineEdit, "txtBlocks");
        txtBlocks[i]->setProperty("index", i);
        txtBlocks[i]->setMaxLength(printer::kBlockSize);
        txtBlocks[i]->setFont(fieldFont);
        // Room for the eight digits of a block in hexadecimal.
        txtBlocks[i]->setFixedWidth(
            qMax(70, QFontMetrics(fieldFont).horizontalAdvance(QStringLiteral("DDDDDDDD")) + 14));
        txtBlocks[i]->setAccessibleName(QStringLiteral("Blocco %1").arg(i + 1));
        grid->addWidget(chkBlocks[i], row, column * 2);
        grid->addWidget(txtBlocks[i], row, column * 2 + 1);
        if (column < kColumns - 1)
            grid->setColumnMinimumWidth(column * 2 + 1, 90);
    }

    Frame4 = named(new QFrame, "Frame4");
    Frame4->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto *buttons = new QHBoxLayout(Frame4);
    cmdWriteBlocks = button("cmdWriteBlocks", QStringLiteral("SCRIVI"),
                            QStringLiteral("Scrive i dati dei blocchi selezionati"));
    cmdReadBlocks = button("cmdReadBlocks", QStringLiteral("LEGGI"),
                           QStringLiteral("Legge i dati dei blocchi selezionati"));
    cmdStampa2 = button("cmdStampa2", QStringLiteral("STAMPA"), QString());
    cmdSelAll = button("cmdSelAll", QStringLiteral("Seleziona tutto"),
                       QStringLiteral("Seleziona tutti i blocchi"));
    cmdUnselAll = button("cmdUnselAll", QStringLiteral("Deseleziona tutto"),
                         QStringLiteral("Deseleziona tutti i blocchi"));
    cmdClearFlds =
        button("cmdClearFlds", QStringLiteral("Cancella campi"),
               QStringLiteral("Cancella i campi dati di tutti i blocchi (solo a video)"));
    for (QPushButton *b :
         {cmdWriteBlocks, cmdReadBlocks, cmdStampa2, cmdSelAll, cmdUnselAll, cmdClearFlds})
        buttons->addWidget(b);
    chkVerify = named(new QCheckBox(QStringLiteral("Verifica dopo scrittura")), "chkVerify");
    chkVerify->setToolTip(
        QStringLiteral("Dopo la scrittura rilegge i blocchi scritti e li confronta"));
    chkHex = named(new QCheckBox(QStringLiteral("Esadecimale")), "chkHex");
    chkHex->setToolTip(QStringLiteral("Mostra e accetta i dati dei blocchi come cifre esadecimali, "
                                      "due per byte"));

    cmdStop = button("cmdStop", QStringLiteral("Interrompi"),
                     QStringLiteral("Ferma la lettura o la scrittura dopo il blocco in corso"));
    cmdStop->setEnabled(false);
    cmdLoadBlocks = button("cmdLoadBlocks", QStringLiteral("Carica..."),
                           QStringLiteral("Riempie i campi dei blocchi da un file (.bin o .json)"));
    cmdSaveBlocks = button("cmdSaveBlocks", QStringLiteral("Salva..."),
                           QStringLiteral("Salva i campi dei blocchi in un file (.bin o .json)"));

    cmdProduction = button("cmdProduction", QStringLiteral("Produzione..."),
                           QStringLiteral("Programma, verifica, etichetta e registra una serie di "
                                          "tag con i dati della griglia"));

    auto *tools = new QHBoxLayout;
    tools->addWidget(cmdStop);
    tools->addStretch(1);
    tools->addWidget(cmdProduction);
    tools->addWidget(cmdLoadBlocks);
    tools->addWidget(cmdSaveBlocks);

    auto *options = new QVBoxLayout;
    options->addWidget(chkVerify);
    options->addWidget(chkHex);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Frame4);
    bottom->addLayout(options);

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);
    page->addLayout(grid);
    page->addLayout(tools);
    page->addStretch(1);
    page->addLayout(bottom);

    // The fields show the model's bytes; what the operator types goes back into it.
    for (int i = 0; i < kRows; ++i) {
        connect(txtBlocks[i], &QLineEdit::textChanged, this, [this, i](const QString &text) {
            if (!m_showing)
                m_model.edit(i, text);
        });
    }
    for (int i = 0; i < kRows; ++i) {
        connect(chkBlocks[i], &QCheckBox::toggled, &m_model,
                [this, i](bool checked) { m_model.setSelected(i, checked); });
    }
    connect(&m_model, &BlockModel::selectionChanged, this,
            [this](int row) { chkBlocks[size_t(row)]->setChecked(m_model.selected(row)); });
    connect(&m_model, &BlockModel::marksChanged, this, &BlockPage::showMarks);
    connect(&m_model, &BlockModel::rowChanged, this, &BlockPage::showRow);
    connect(&m_model, &BlockModel::modeChanged, this, &BlockPage::showMode);
    connect(chkHex, &QCheckBox::toggled, this, [this](bool hex) {
        const auto mode = hex ? BlockModel::Mode::Hex : BlockModel::Mode::Characters;
        if (m_model.setMode(mode))
            return;
        // A field that is not whole bytes yet cannot be shown the other way.
        const QSignalBlocker blocker(chkHex);
        chkHex->setChecked(!hex);
        emit modeRefused(m_model.rowsWithProblems());
    });

    // The grid's own buttons change only the screen.
    const auto selectAll = [this](bool selected) {
        for (int i = 0; i < kRows; ++i)
            m_model.setSelected(i, selected);
    };
    connect(cmdSelAll, &QPushButton::clicked, this, [selectAll] { selectAll(true); });
    connect(cmdUnselAll, &QPushButton::clicked, this, [selectAll] { selectAll(false); });
    connect(cmdClearFlds, &QPushButton::clicked, this, [this] {
        m_model.clear();
        m_model.setFailedRows({});
    });

    // Tab order: row by row, each check box before its field, then the buttons.
    QWidget *previous = nullptr;
    for (int i = 0; i < kRows; ++i) {
        if (previous)
            setTabOrder(previous, chkBlocks[i]);
        setTabOrder(chkBlocks[i], txtBlocks[i]);
        previous = txtBlocks[i];
    }
    for (QWidget *b : std::initializer_list<QWidget *>{
             cmdStop, cmdProduction, cmdLoadBlocks, cmdSaveBlocks, cmdWriteBlocks, cmdReadBlocks,
             cmdStampa2, cmdSelAll, cmdUnselAll, cmdClearFlds, chkVerify, chkHex}) {
        setTabOrder(previous, b);
        previous = b;
    }
}

void BlockPage::showRow(int row)
{
    const QScopedValueRollback showing(m_showing, true);
    txtBlocks[size_t(row)]->setText(m_model.text(row));
}

void BlockPage::showMode(BlockModel::Mode mode)
{
    const QScopedValueRollback showing(m_showing, true);
    const bool hex = mode == BlockModel::Mode::Hex;
    for (QLineEdit *field : txtBlocks) {
        field->setMaxLength(m_model.maxLength());
        field->setValidator(hex ? m_hexDigits : nullptr);
    }
    const QSignalBlocker blocker(chkHex);
    chkHex->setChecked(hex);
}

bool BlockPage::verifyAfterWrite() const
{
    return chkVerify->isChecked();
}

void BlockPage::showPrinting(bool printing)
{
    cmdStampa2->setText(printing ? QStringLiteral("STAMPA...") : QStringLiteral("STAMPA"));
    cmdStampa2->repaint();
}

void BlockPage::showMarks(int row)
{
    QLineEdit *field = txtBlocks[row];
    QPalette palette;
    const bool failed = m_model.failedRows().contains(row);
    if (row == m_model.workingRow())
        palette.setColor(QPalette::Base, QColor(0xFF, 0xF1, 0xA8));
    else if (failed)
        palette.setColor(QPalette::Base, QColor(0xF8, 0xB4, 0xB4));
    field->setPalette(palette);
    field->setAccessibleDescription(failed ? QStringLiteral("Verifica fallita") : QString());
}
