#pragma once

#include <QFrame>

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TagInfoModel;

// The page "Informazioni TAG": the seven tag fields, the last tag command, the buttons that read
// the tag and the one that prints what the fields show.
class TagInfoPage : public QFrame
{
    Q_OBJECT
public:
    explicit TagInfoPage(TagInfoModel &model, QWidget *parent = nullptr);

    QFrame *Frame3 = nullptr;
    QFrame *Frame7 = nullptr;
    QLabel *Label10 = nullptr;
    QLabel *lblComando = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr,
           *Label5 = nullptr, *Label6 = nullptr, *Label7 = nullptr;
    QLineEdit *txtDataSets = nullptr;
    QLineEdit *txtDSFId = nullptr;
    QLineEdit *txtMemSize = nullptr;
    QLineEdit *txtTrType = nullptr;
    QLineEdit *txtAFI = nullptr;
    QLineEdit *txtIcRef = nullptr;
    QLineEdit *txtUId = nullptr;
    QGroupBox *Frame2 = nullptr;
    QPushButton *cmdInventory = nullptr;
    QPushButton *cmdSysInfo = nullptr;
    QGroupBox *Frame5 = nullptr;
    QPushButton *cmdStampa1 = nullptr;

    // The seven fields in the order of the page (and of tagfields::kFields).
    QList<QLineEdit *> fields() const;

    // The tag information label is being sent: "Stampa" says so.
    void showPrinting(bool printing);

private:
    void showField(int field);
    void showLastCommand();

    TagInfoModel &m_model;
    std::array<QLineEdit *, 7> m_fields{};
};
