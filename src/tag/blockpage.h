#pragma once

#include "link/printercommands.h"
#include "tag/blockmodel.h"

#include <QFrame>

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QValidator;

// The page "Lettura e Scrittura blocchi del TAG": a row per tag block (index = zero-based block
// number), each a check box that selects it and a field of four characters, and the buttons that
// read, write and print them.
class BlockPage : public QFrame
{
    Q_OBJECT
public:
    static constexpr int kRows = printer::kTagBlocks;

    explicit BlockPage(BlockModel &model, QWidget *parent = nullptr);

    std::array<QCheckBox *, kRows> chkBlocks{};
    std::array<QLineEdit *, kRows> txtBlocks{};
    QFrame *Frame4 = nullptr;
    QPushButton *cmdWriteBlocks = nullptr;
    QPushButton *cmdReadBlocks = nullptr;
    QPushButton *cmdStampa2 = nullptr;
    QPushButton *cmdSelAll = nullptr;
    QPushButton *cmdUnselAll = nullptr;
    QPushButton *cmdClearFlds = nullptr;
    QCheckBox *chkVerify = nullptr;  // read back what SCRIVI wrote
    QCheckBox *chkHex = nullptr;     // the fields in hexadecimal
    QPushButton *cmdStop = nullptr;  // ends a running read or write after the block in progress
    QPushButton *cmdLoadBlocks = nullptr;
    QPushButton *cmdSaveBlocks = nullptr;
    QPushButton *cmdProduction = nullptr;  // a series of tags programmed from the grid

    // The grid the page shows.
    BlockModel &model() { return m_model; }

    // The model's, for the callers that still reach the grid through the page.
    bool rowSelected(int row) const { return m_model.selected(row); }
    QList<int> selectedRows() const { return m_model.selectedRows(); }
    void setRowSelected(int row, bool selected) { m_model.setSelected(row, selected); }
    QByteArray rowBytes(int row) const { return m_model.bytes(row); }
    void setRowBytes(int row, const QByteArray &bytes) { m_model.setBytes(row, bytes); }
    BlockModel::Problem rowProblem(int row) const { return m_model.problem(row); }
    QStringList describeProblems(const QList<int> &rows) const
    {
        return m_model.describeProblems(rows);
    }
    QString rowText(int row) const { return m_model.rowText(row); }
    int workingRow() const { return m_model.workingRow(); }
    void setFailedRows(const QList<int> &rows) { m_model.setFailedRows(rows); }
    const QList<int> &failedRows() const { return m_model.failedRows(); }

    bool verifyAfterWrite() const;

    // The block data label (or "ANNULLATO") is being sent: "STAMPA" says so.
    void showPrinting(bool printing);

signals:
    // "Esadecimale" could not switch: these rows are not whole bytes.
    void modeRefused(const QList<int> &rows);

private:
    void showMarks(int row);
    void showRow(int row);
    void showMode(BlockModel::Mode mode);

    BlockModel &m_model;
    QValidator *m_hexDigits;
    bool m_showing = false;  // the fields are being given the model's text
};
