#include "label/frmproduction.h"

#include "common/named.h"
#include "label/production.h"
#include "tag/blockmodel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

frmProduction::frmProduction(ProductionRun &run, const BlockModel &grid, QWidget *parent)
    : QDialog(parent), m_run(run), m_grid(grid)
{
    named(this, "frmProduction");
    setWindowTitle(QStringLiteral("Produzione in serie"));
    buildWindow();
    connect(cmdStart, &QPushButton::clicked, this, [this] { m_run.start(options()); });
    connect(cmdStop, &QPushButton::clicked, &m_run, &ProductionRun::requestStop);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
    connect(&m_run, &ProductionRun::progressChanged, this, &frmProduction::showProgress);
    connect(&m_run, &ProductionRun::runningChanged, this, &frmProduction::showRunning);
    connect(&m_run, &ProductionRun::tagLogged, this, [this](const QString &line) {
        lstTags->addItem(line);
        lstTags->scrollToBottom();
    });
    connect(chkUntilStopped, &QCheckBox::toggled, spnCount, &QWidget::setDisabled);
    // The template follows the grid until the run starts.
    connect(&m_run, &ProductionRun::logChosen, this, [this](const QString &path) {
        lstTags->clear();
        lblLog->setText(QStringLiteral("Registro: %1").arg(QDir::toNativeSeparators(path)));
    });
    connect(&m_grid, &BlockModel::selectionChanged, this, &frmProduction::showTemplate);
    connect(fraSerial, &QGroupBox::toggled, this, &frmProduction::showTemplate);
    connect(spnSerialRow, &QSpinBox::valueChanged, this, &frmProduction::showTemplate);
    connect(cboSerialWidth, &QComboBox::currentIndexChanged, this, &frmProduction::showTemplate);
    showRunning(false);
}

void frmProduction::buildWindow()
{
    fraTemplate = named(new QGroupBox(QStringLiteral("Modello")), "fraTemplate");
    lblTemplate = named(new QLabel, "lblTemplate");
    lblTemplate->setWordWrap(true);
    (new QVBoxLayout(fraTemplate))->addWidget(lblTemplate);

    fraSeries = named(new QGroupBox(QStringLiteral("Serie")), "fraSeries");
    spnCount = named(new QSpinBox, "spnCount");
    spnCount->setRange(1, 9999);
    spnCount->setValue(10);
    spnCount->setAccessibleName(QStringLiteral("Numero di tag"));
    chkUntilStopped =
        named(new QCheckBox(QStringLiteral("Fino a interruzione")), "chkUntilStopped");
    auto *series = new QFormLayout(fraSeries);
    auto *count = new QHBoxLayout;
    count->addWidget(spnCount);
    count->addWidget(chkUntilStopped);
    count->addStretch(1);
    auto *countCaption = new QLabel(QStringLiteral("&Numero di tag:"));
    countCaption->setBuddy(spnCount);
    series->addRow(countCaption, count);

    fraSerial = named(new QGroupBox(QStringLiteral("Numero di &serie")), "fraSerial");
    fraSerial->setCheckable(true);
    fraSerial->setChecked(false);
    spnSerialRow = named(new QSpinBox, "spnSerialRow");
    spnSerialRow->setRange(1, BlockModel::kRows);
    spnSerialRow->setPrefix(QStringLiteral("Blocco "));
    spnSerialRow->setAccessibleName(QStringLiteral("Primo blocco"));
    cboSerialWidth = named(new QComboBox, "cboSerialWidth");
    cboSerialWidth->addItems(
        {QStringLiteral("4 byte (un blocco)"), QStringLiteral("8 byte (due blocchi)")});
    cboSerialWidth->setAccessibleName(QStringLiteral("Larghezza"));
    cboSerialForm = named(new QComboBox, "cboSerialForm");
    cboSerialForm->addItems(
        {QStringLiteral("Cifre decimali"), QStringLiteral("Binario (big-endian)")});
    cboSerialForm->setAccessibleName(QStringLiteral("Forma"));
    txtSerialStart = named(new QLineEdit(QStringLiteral("1")), "txtSerialStart");
    txtSerialStart->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,20}")), this));
    txtSerialStart->setAccessibleName(QStringLiteral("Primo valore"));
    auto *serial = new QFormLayout(fraSerial);
    serial->addRow(QStringLiteral("Primo blocco:"), spnSerialRow);
    serial->addRow(QStringLiteral("Larghezza:"), cboSerialWidth);
    serial->addRow(QStringLiteral("Forma:"), cboSerialForm);
    serial->addRow(QStringLiteral("Primo valore:"), txtSerialStart);

    fraOptions = named(new QGroupBox(QStringLiteral("Per ogni tag")), "fraOptions");
    chkVerify = named(new QCheckBox(QStringLiteral("&Verifica dopo scrittura")), "chkVerify");
    chkVerify->setChecked(true);
    cboLabel = named(new QComboBox, "cboLabel");
    cboLabel->addItems({QStringLiteral("Nessuna"), QStringLiteral("Informazioni TAG"),
                        QStringLiteral("Dati dei blocchi 1 e 2")});
    cboLabel->setAccessibleName(QStringLiteral("Etichetta"));
    cboOnFailure = named(new QComboBox, "cboOnFailure");
    cboOnFailure->addItems(
        {QStringLiteral("Ferma la serie"), QStringLiteral("Stampa \"ANNULLATO\" e continua")});
    cboOnFailure->setAccessibleName(QStringLiteral("Se un tag fallisce"));
    auto *options = new QFormLayout(fraOptions);
    options->addRow(chkVerify);
    options->addRow(QStringLiteral("&Etichetta:"), cboLabel);
    options->addRow(QStringLiteral("Se un tag &fallisce:"), cboOnFailure);

    fraProgress = named(new QGroupBox(QStringLiteral("Avanzamento")), "fraProgress");
    lblTag = named(new QLabel, "lblTag");
    lblCounts = named(new QLabel, "lblCounts");
    lblStep = named(new QLabel, "lblStep");
    lblTime = named(new QLabel, "lblTime");
    lblLog = named(new QLabel, "lblLog");
    lblLog->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblLog->setWordWrap(true);
    prgRun = named(new QProgressBar, "prgRun");
    prgRun->setAccessibleName(QStringLiteral("Avanzamento"));
    lstTags = named(new QListWidget, "lstTags");
    lstTags->setAccessibleName(QStringLiteral("Tag registrati"));
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    lstTags->setFont(fixed);
    lstTags->setMinimumHeight(120);
    auto *progress = new QVBoxLayout(fraProgress);
    auto *counts = new QHBoxLayout;
    counts->addWidget(lblTag);
    counts->addStretch(1);
    counts->addWidget(lblCounts);
    progress->addLayout(counts);
    progress->addWidget(prgRun);
    progress->addWidget(lblStep);
    progress->addWidget(lblTime);
    progress->addWidget(lstTags, 1);
    progress->addWidget(lblLog);

    cmdStart = named(new QPushButton(QStringLiteral("&Avvia")), "cmdStart");
    cmdStart->setDefault(true);
    cmdStop = named(new QPushButton(QStringLiteral("&Interrompi")), "cmdStop");
    cmdClose = named(new QPushButton(QStringLiteral("Chiudi")), "cmdClose");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton *b : {cmdStart, cmdStop, cmdClose})
        buttons->addWidget(b);

    auto *left = new QVBoxLayout;
    left->addWidget(fraTemplate);
    left->addWidget(fraSeries);
    left->addWidget(fraSerial);
    left->addWidget(fraOptions);
    left->addStretch(1);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addWidget(fraProgress, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(buttons);
    resize(760, 460);
}

ProductionPlan frmProduction::options() const
{
    ProductionPlan p;
    p.count = spnCount->value();
    p.untilStopped = chkUntilStopped->isChecked();
    if (fraSerial->isChecked()) {
        production::SerialNumber s;
        s.row = spnSerialRow->value() - 1;
        s.width = cboSerialWidth->currentIndex() == 1 ? 8 : 4;
        s.form = cboSerialForm->currentIndex() == 1 ? production::SerialForm::Binary
                                                    : production::SerialForm::Decimal;
        s.start = txtSerialStart->text().toULongLong(&p.serialStartValid);
        p.serial = s;
    }
    p.verify = chkVerify->isChecked();
    p.label = ProductionPlan::Label(cboLabel->currentIndex());
    p.onFailure = ProductionPlan::OnFailure(cboOnFailure->currentIndex());
    return p;
}

void frmProduction::showTemplate()
{
    const QList<int> rows = m_grid.selectedRows();
    QString text = rows.isEmpty()
                       ? QStringLiteral("Nessun blocco selezionato nella griglia.")
                       : QStringLiteral("Dalla griglia, come li scriverebbe ora \"SCRIVI\": "
                                        "blocchi %1.")
                             .arg(blockdata::rowList(rows));
    if (fraSerial->isChecked()) {
        const int first = spnSerialRow->value();
        text +=
            cboSerialWidth->currentIndex() == 1
                ? QStringLiteral("\nNumero di serie nei blocchi %1 e %2.").arg(first).arg(first + 1)
                : QStringLiteral("\nNumero di serie nel blocco %1.").arg(first);
    }
    lblTemplate->setText(text);
}

void frmProduction::showProgress(const ProductionProgress &progress)
{
    lblTag->setText(progress.count > 0
                        ? QStringLiteral("Tag %1 di %2").arg(progress.tag).arg(progress.count)
                        : QStringLiteral("Tag %1").arg(progress.tag));
    lblCounts->setText(
        QStringLiteral("Riusciti: %1   Falliti: %2").arg(progress.succeeded).arg(progress.failed));
    lblStep->setText(progress.step);
    QString time;
    if (progress.secondsPerTag > 0)
        time = QStringLiteral("Tempo per tag: %1 s")
                   .arg(QLocale(QLocale::Italian).toString(progress.secondsPerTag, 'f', 1));
    if (progress.secondsLeft >= 0)
        time +=
            QStringLiteral("   Tempo rimasto: %1").arg(production::duration(progress.secondsLeft));
    lblTime->setText(time);
    if (progress.count > 0) {
        prgRun->setRange(0, progress.count);
        prgRun->setValue(progress.succeeded);
    } else {
        prgRun->setRange(0, 0);  // no end known: busy
    }
}

void frmProduction::showRunning(bool running)
{
    for (QWidget *w :
         std::initializer_list<QWidget *>{fraSeries, fraSerial, fraOptions, cmdStart, cmdClose})
        w->setEnabled(!running);
    cmdStop->setEnabled(running);
    if (!running && fraSerial->isChecked() && m_run.nextSerial())
        txtSerialStart->setText(QString::number(*m_run.nextSerial()));  // the series goes on
    if (!running) {
        prgRun->setRange(0, qMax(1, spnCount->value()));
        if (m_run.progress().step.isEmpty())
            lblStep->setText(QStringLiteral("Pronto: \"Avvia\" chiede il file del registro e "
                                            "parte."));
    }
}

void frmProduction::showEvent(QShowEvent *event)
{
    showTemplate();
    QDialog::showEvent(event);
}

void frmProduction::reject()
{
    if (m_run.running()) {
        m_run.requestStop();  // Esc as the close box: the run ends after its step
        return;
    }
    QDialog::reject();
}

void frmProduction::closeEvent(QCloseEvent *event)
{
    // Closing while the run goes on stops it after the step in progress, as "Interrompi" does.
    if (m_run.running()) {
        m_run.requestStop();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
