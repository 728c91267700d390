#include "production/ui/frmproduction.h"

#include "common/ui/named.h"
#include "production/production.h"
#include "production/runtexts.h"
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
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

frmProduction::frmProduction(ProductionRun &run, const BlockModel &grid, QWidget *parent)
    : QDialog(parent), m_run(run), m_grid(grid)
{
    named(this, "frmProduction");
    setWindowTitle(QStringLiteral("Produzione in serie"));

    QWidget *templateBox = buildTemplate();
    QWidget *series = buildSeries();
    QWidget *serial = buildSerial();
    QWidget *options = buildOptions();
    QWidget *progress = buildProgress();
    QLayout *buttons = buildButtons();
    auto *left = new QVBoxLayout;
    left->addWidget(templateBox);
    left->addWidget(series);
    left->addWidget(serial);
    left->addWidget(options);
    left->addStretch(1);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addWidget(progress, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(buttons);
    resize(760, 460);

    bind();
    showRunning(false);
}

QWidget *frmProduction::buildTemplate()
{
    auto *box = named(new QGroupBox(QStringLiteral("Modello")), "fraTemplate");
    m_template = named(new QLabel, "lblTemplate");
    m_template->setWordWrap(true);
    m_template->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // All 28 rows ticked would push the options off the screen: past eight lines it scrolls.
    auto *scroll = new QScrollArea;
    scroll->setWidget(m_template);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMaximumHeight(8 * m_template->fontMetrics().lineSpacing() + 4);
    (new QVBoxLayout(box))->addWidget(scroll);
    return box;
}

QWidget *frmProduction::buildSeries()
{
    m_seriesBox = named(new QGroupBox(QStringLiteral("Serie")), "fraSeries");
    m_countSpin = named(new QSpinBox, "spnCount");
    m_countSpin->setRange(1, 9999);
    m_countSpin->setValue(10);
    m_countSpin->setAccessibleName(QStringLiteral("Numero di tag"));
    m_untilStoppedCheck =
        named(new QCheckBox(QStringLiteral("Fino a interruzione")), "chkUntilStopped");
    auto *series = new QFormLayout(m_seriesBox);
    auto *count = new QHBoxLayout;
    count->addWidget(m_countSpin);
    count->addWidget(m_untilStoppedCheck);
    count->addStretch(1);
    auto *countCaption = new QLabel(QStringLiteral("&Numero di tag:"));
    countCaption->setBuddy(m_countSpin);
    series->addRow(countCaption, count);
    return m_seriesBox;
}

QWidget *frmProduction::buildSerial()
{
    m_serialBox = named(new QGroupBox(QStringLiteral("Numero di &serie")), "fraSerial");
    m_serialBox->setCheckable(true);
    m_serialBox->setChecked(false);
    m_serialRowSpin = named(new QSpinBox, "spnSerialRow");
    m_serialRowSpin->setRange(1, BlockModel::kRows);
    m_serialRowSpin->setPrefix(QStringLiteral("Blocco "));
    m_serialRowSpin->setAccessibleName(QStringLiteral("Primo blocco"));
    m_serialWidthList = named(new QComboBox, "cboSerialWidth");
    m_serialWidthList->addItems(
        {QStringLiteral("4 byte (un blocco)"), QStringLiteral("8 byte (due blocchi)")});
    m_serialWidthList->setAccessibleName(QStringLiteral("Larghezza"));
    m_serialFormList = named(new QComboBox, "cboSerialForm");
    m_serialFormList->addItems(
        {QStringLiteral("Cifre decimali"), QStringLiteral("Binario (big-endian)")});
    m_serialFormList->setAccessibleName(QStringLiteral("Forma"));
    m_serialStartField = named(new QLineEdit(QStringLiteral("1")), "txtSerialStart");
    m_serialStartField->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,20}")), this));
    m_serialStartField->setAccessibleName(QStringLiteral("Primo valore"));
    auto *serial = new QFormLayout(m_serialBox);
    serial->addRow(QStringLiteral("Primo blocco:"), m_serialRowSpin);
    serial->addRow(QStringLiteral("Larghezza:"), m_serialWidthList);
    serial->addRow(QStringLiteral("Forma:"), m_serialFormList);
    serial->addRow(QStringLiteral("Primo valore:"), m_serialStartField);
    return m_serialBox;
}

QWidget *frmProduction::buildOptions()
{
    m_optionsBox = named(new QGroupBox(QStringLiteral("Per ogni tag")), "fraOptions");
    m_verifyCheck = named(new QCheckBox(QStringLiteral("&Verifica dopo scrittura")), "chkVerify");
    m_verifyCheck->setChecked(true);
    m_labelList = named(new QComboBox, "cboLabel");
    m_labelList->addItems({QStringLiteral("Nessuna"), QStringLiteral("Informazioni TAG"),
                           QStringLiteral("Dati dei blocchi 1 e 2")});
    m_labelList->setAccessibleName(QStringLiteral("Etichetta"));
    m_noLabelNote = named(new QLabel(runtexts::noLabelNote()), "lblNoLabel");
    m_noLabelNote->setWordWrap(true);
    // Two lines held open: the form would otherwise give a wrapped note the height of one.
    m_noLabelNote->setMinimumHeight(2 * m_noLabelNote->fontMetrics().lineSpacing());
    m_onFailureList = named(new QComboBox, "cboOnFailure");
    m_onFailureList->addItems(
        {QStringLiteral("Ferma la serie"), QStringLiteral("Stampa \"ANNULLATO\" e continua")});
    m_onFailureList->setAccessibleName(QStringLiteral("Se un tag fallisce"));
    auto *options = new QFormLayout(m_optionsBox);
    options->addRow(m_verifyCheck);
    options->addRow(QStringLiteral("&Etichetta:"), m_labelList);
    options->addRow(m_noLabelNote);
    options->addRow(QStringLiteral("Se un tag &fallisce:"), m_onFailureList);
    return m_optionsBox;
}

QWidget *frmProduction::buildProgress()
{
    auto *box = named(new QGroupBox(QStringLiteral("Avanzamento")), "fraProgress");
    m_tagLabel = named(new QLabel, "lblTag");
    m_countsLabel = named(new QLabel, "lblCounts");
    m_stepLabel = named(new QLabel, "lblStep");
    m_timeLabel = named(new QLabel, "lblTime");
    m_logLabel = named(new QLabel, "lblLog");
    m_logLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_logLabel->setWordWrap(true);
    m_progressBar = named(new QProgressBar, "prgRun");
    m_progressBar->setAccessibleName(QStringLiteral("Avanzamento"));
    m_tagList = named(new QListWidget, "lstTags");
    m_tagList->setAccessibleName(QStringLiteral("Tag registrati"));
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    m_tagList->setFont(fixed);
    m_tagList->setMinimumHeight(120);
    // A long result wraps: the whole line in view, never a sideways scroll.
    m_tagList->setWordWrap(true);
    m_tagList->setResizeMode(QListView::Adjust);
    m_tagList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *progress = new QVBoxLayout(box);
    auto *counts = new QHBoxLayout;
    counts->addWidget(m_tagLabel);
    counts->addStretch(1);
    counts->addWidget(m_countsLabel);
    progress->addLayout(counts);
    progress->addWidget(m_progressBar);
    progress->addWidget(m_stepLabel);
    progress->addWidget(m_timeLabel);
    progress->addWidget(m_tagList, 1);
    progress->addWidget(m_logLabel);
    return box;
}

QLayout *frmProduction::buildButtons()
{
    m_startButton = named(new QPushButton(QStringLiteral("&Avvia")), "cmdStart");
    m_startButton->setDefault(true);
    m_stopButton = named(new QPushButton(QStringLiteral("&Interrompi")), "cmdStop");
    m_closeButton = named(new QPushButton(QStringLiteral("Chiudi")), "cmdClose");
    m_saveJobButton = named(new QPushButton(QStringLiteral("Salva &lavoro...")), "cmdSaveJob");
    m_openJobButton = named(new QPushButton(QStringLiteral("Apri lav&oro...")), "cmdOpenJob");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_saveJobButton);
    buttons->addWidget(m_openJobButton);
    buttons->addStretch(1);
    for (QPushButton *b : {m_startButton, m_stopButton, m_closeButton})
        buttons->addWidget(b);
    return buttons;
}

void frmProduction::bind()
{
    connect(m_startButton, &QPushButton::clicked, this, [this] { m_run.start(options()); });
    connect(m_stopButton, &QPushButton::clicked, &m_run, &ProductionRun::requestStop);
    connect(m_saveJobButton, &QPushButton::clicked, this, [this] { m_run.saveJob(options()); });
    connect(m_openJobButton, &QPushButton::clicked, this, [this] {
        if (const std::optional<ProductionPlan> job = m_run.openJob())
            showJob(*job);
    });
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::close);
    connect(&m_run, &ProductionRun::progressChanged, this, &frmProduction::showProgress);
    connect(&m_run, &ProductionRun::runningChanged, this, &frmProduction::showRunning);
    connect(&m_run, &ProductionRun::tagLogged, this, [this](const QString &line, bool ok) {
        auto *item = new QListWidgetItem(line, m_tagList);
        if (!ok) {
            item->setBackground(QColor(0xF8, 0xB4, 0xB4));
            item->setForeground(QColor(0x60, 0x00, 0x00));
        }
        m_tagList->scrollToBottom();
    });
    connect(&m_run, &ProductionRun::logChosen, this, [this](const QString &path) {
        m_tagList->clear();
        m_logLabel->setText(QStringLiteral("Registro: %1").arg(QDir::toNativeSeparators(path)));
    });
    connect(m_untilStoppedCheck, &QCheckBox::toggled, m_countSpin, &QWidget::setDisabled);
    // The template follows the grid until the run starts.
    connect(&m_grid, &BlockModel::selectionChanged, this, &frmProduction::showTemplate);
    connect(&m_grid, &BlockModel::contentChanged, this, &frmProduction::showTemplate);
    connect(m_serialBox, &QGroupBox::toggled, this, &frmProduction::showTemplate);
    connect(m_serialRowSpin, &QSpinBox::valueChanged, this, &frmProduction::showTemplate);
    connect(m_serialWidthList, &QComboBox::currentIndexChanged, this, &frmProduction::showTemplate);
    connect(m_labelList, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_noLabelNote->setVisible(ProductionPlan::Label(index) == ProductionPlan::Label::None);
    });
}

ProductionPlan frmProduction::options() const
{
    ProductionPlan p;
    p.count = m_countSpin->value();
    p.untilStopped = m_untilStoppedCheck->isChecked();
    if (m_serialBox->isChecked()) {
        production::SerialNumber s;
        s.row = m_serialRowSpin->value() - 1;
        s.width = m_serialWidthList->currentIndex() == 1 ? 8 : 4;
        s.form = m_serialFormList->currentIndex() == 1 ? production::SerialForm::Binary
                                                       : production::SerialForm::Decimal;
        s.start = m_serialStartField->text().toULongLong(&p.serialStartValid);
        p.serial = s;
    }
    p.verify = m_verifyCheck->isChecked();
    p.label = ProductionPlan::Label(m_labelList->currentIndex());
    p.onFailure = ProductionPlan::OnFailure(m_onFailureList->currentIndex());
    return p;
}

void frmProduction::showTemplate()
{
    ProductionPlan plan = options();
    plan.takeTemplate(m_grid);
    m_template->setText(
        runtexts::templateListing(plan.templateRows, plan.serial ? &*plan.serial : nullptr));
}

void frmProduction::showJob(const ProductionPlan &job)
{
    m_countSpin->setValue(job.count);
    m_untilStoppedCheck->setChecked(job.untilStopped);
    m_serialBox->setChecked(job.serial.has_value());
    if (job.serial) {
        m_serialRowSpin->setValue(job.serial->row + 1);
        m_serialWidthList->setCurrentIndex(job.serial->width == 8 ? 1 : 0);
        m_serialFormList->setCurrentIndex(job.serial->form == production::SerialForm::Binary);
        m_serialStartField->setText(QString::number(job.serial->start));
    }
    m_verifyCheck->setChecked(job.verify);
    m_labelList->setCurrentIndex(int(job.label));
    m_onFailureList->setCurrentIndex(int(job.onFailure));
    if (!job.logPath.isEmpty())
        m_logLabel->setText(
            QStringLiteral("Registro: %1").arg(QDir::toNativeSeparators(job.logPath)));
    showTemplate();
}

void frmProduction::showProgress(const ProductionProgress &progress)
{
    m_tagLabel->setText(progress.count > 0
                            ? QStringLiteral("Tag %1 di %2").arg(progress.tag).arg(progress.count)
                            : QStringLiteral("Tag %1").arg(progress.tag));
    m_countsLabel->setText(
        QStringLiteral("Riusciti: %1   Falliti: %2").arg(progress.succeeded).arg(progress.failed));
    m_stepLabel->setText(progress.step);
    QString time;
    if (progress.secondsPerTag > 0)
        time = QStringLiteral("Tempo per tag: %1 s")
                   .arg(QLocale(QLocale::Italian).toString(progress.secondsPerTag, 'f', 1));
    if (progress.secondsLeft >= 0)
        time +=
            QStringLiteral("   Tempo rimasto: %1").arg(production::duration(progress.secondsLeft));
    m_timeLabel->setText(time);
    if (progress.count > 0) {
        m_progressBar->setRange(0, progress.count);
        m_progressBar->setValue(progress.succeeded);
    } else {
        m_progressBar->setRange(0, 0);  // no end known: busy
    }
}

void frmProduction::showRunning(bool running)
{
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_seriesBox, m_serialBox, m_optionsBox, m_startButton,
                                          m_closeButton, m_saveJobButton, m_openJobButton})
        w->setEnabled(!running);
    m_stopButton->setEnabled(running);
    if (!running && m_serialBox->isChecked() && m_run.nextSerial())
        m_serialStartField->setText(QString::number(*m_run.nextSerial()));  // the series goes on
    if (!running) {
        m_progressBar->setRange(0, qMax(1, m_countSpin->value()));
        if (m_run.progress().step.isEmpty())
            m_stepLabel->setText(QStringLiteral("Pronto: \"Avvia\" chiede il file del registro e "
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
