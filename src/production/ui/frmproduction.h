#pragma once

#include "production/productionrun.h"

#include <QDialog>

class BlockModel;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;

// "Produzione in serie", a view of the production run: the options of a run, "Avvia", and the
// run's progress. The template is what "SCRIVI" would write when the run starts: the ticked rows
// of the grid and their bytes. Not modal: the main window stays in view, its printer operations
// refused while the run holds the printer.
class frmProduction : public QDialog
{
    Q_OBJECT
public:
    frmProduction(ProductionRun &run, const BlockModel &grid, QWidget *parent = nullptr);

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildTemplate();
    QWidget *buildSeries();
    QWidget *buildSerial();
    QWidget *buildOptions();
    QWidget *buildProgress();
    QLayout *buildButtons();
    void bind();
    // The run the options describe now; the template is the grid's when it starts.
    ProductionPlan options() const;
    void showTemplate();
    // The options of a job opened.
    void showJob(const ProductionPlan &job);
    void showProgress(const ProductionProgress &progress);
    void showRunning(bool running);

    ProductionRun &m_run;
    const BlockModel &m_grid;

    QLabel *m_template = nullptr;
    QGroupBox *m_seriesBox = nullptr;
    QSpinBox *m_countSpin = nullptr;
    QCheckBox *m_untilStoppedCheck = nullptr;
    QGroupBox *m_serialBox = nullptr;  // checkable: a serial number or none
    QSpinBox *m_serialRowSpin = nullptr;
    QComboBox *m_serialWidthList = nullptr;
    QComboBox *m_serialFormList = nullptr;
    QLineEdit *m_serialStartField = nullptr;
    QGroupBox *m_optionsBox = nullptr;
    QCheckBox *m_verifyCheck = nullptr;
    QComboBox *m_labelList = nullptr;
    QLabel *m_noLabelNote = nullptr;
    QComboBox *m_onFailureList = nullptr;
    QLabel *m_tagLabel = nullptr;
    QLabel *m_countsLabel = nullptr;
    QLabel *m_stepLabel = nullptr;
    QLabel *m_timeLabel = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QListWidget *m_tagList = nullptr;
    QLabel *m_logLabel = nullptr;
    QPushButton *m_saveJobButton = nullptr;
    QPushButton *m_openJobButton = nullptr;
    QPushButton *m_startButton = nullptr;
    QPushButton *m_stopButton = nullptr;
    QPushButton *m_closeButton = nullptr;
};
