#pragma once

#include "tag/blockmodel.h"

#include <QFrame>

#include <array>

class QCheckBox;
class QGridLayout;
class QLayout;
class QLineEdit;
class QPushButton;
class QValidator;

// The page "Lettura e Scrittura blocchi del TAG", a view of the block grid: a row per tag block
// (index = zero-based block number), each a check box that selects it and a field of its bytes,
// and the buttons that read, write and print them. The grid's own buttons act on the model;
// the others are requests the window passes on.
class BlockPage : public QFrame
{
    Q_OBJECT
public:
    static constexpr int kRows = BlockModel::kRows;

    explicit BlockPage(BlockModel &model, QWidget *parent = nullptr);

    // "Interrompi" can stop what runs now.
    void setStopAllowed(bool allowed);
    // The block data label (or "ANNULLATO") is being sent: "STAMPA" says so.
    void showPrinting(bool printing);

signals:
    void readRequested();
    // With "Verifica dopo scrittura" ticked, `verify`.
    void writeRequested(bool verify);
    void printRequested();
    void stopRequested();
    void loadRequested();
    void saveRequested();
    void productionRequested();
    // "Esadecimale" could not switch: these rows are not whole bytes.
    void modeRefused(const QList<int> &rows);

private:
    QGridLayout *buildRows();
    QWidget *buildGridButtons();
    QLayout *buildTools();
    QLayout *buildOptions();
    void setTabOrders();
    void bindRows();
    void bindButtons();
    void bindKeys();
    void showMarks(int row);
    void showRow(int row);
    void showMode(BlockModel::Mode mode);
    void onHexToggled(bool hex);

    BlockModel &m_model;
    QValidator *m_hexDigits;
    bool m_showing = false;  // the fields are being given the model's text

    std::array<QCheckBox *, kRows> m_rowChecks{};
    std::array<QLineEdit *, kRows> m_rowFields{};
    QPushButton *m_writeButton = nullptr;
    QPushButton *m_readButton = nullptr;
    QPushButton *m_printButton = nullptr;
    QPushButton *m_selectAllButton = nullptr;
    QPushButton *m_unselectAllButton = nullptr;
    QPushButton *m_clearButton = nullptr;
    QPushButton *m_stopButton = nullptr;
    QPushButton *m_productionButton = nullptr;
    QPushButton *m_loadButton = nullptr;
    QPushButton *m_saveButton = nullptr;
    QCheckBox *m_verifyCheck = nullptr;
    QCheckBox *m_hexCheck = nullptr;
};
