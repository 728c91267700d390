#pragma once

#include "tag/tagfields.h"

#include <QFrame>

#include <array>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class TagInfoModel;

// The page "Informazioni TAG", a view of the tag information: the seven tag fields, the last tag
// command, the buttons that read the tag and the one that prints what the fields show. What the
// operator leaves in a field goes back to the model.
class TagInfoPage : public QFrame
{
    Q_OBJECT
public:
    explicit TagInfoPage(TagInfoModel &model, QWidget *parent = nullptr);

    // The tag information label is being sent: "Stampa" says so.
    void showPrinting(bool printing);

signals:
    void inventoryRequested();
    void systemInformationRequested();
    void printRequested();

private:
    QWidget *buildFields();
    void buildLastCommand(QGridLayout *grid);
    QWidget *buildReadButtons();
    QWidget *buildPrintButton();
    void bind();
    void showField(int field);
    void showLastCommand();

    TagInfoModel &m_model;
    std::array<QLineEdit *, tagfields::kCount> m_fields{};
    QFrame *m_lastCommandFrame = nullptr;
    QLabel *m_lastCommand = nullptr;
    QPushButton *m_inventoryButton = nullptr;
    QPushButton *m_systemInfoButton = nullptr;
    QPushButton *m_printButton = nullptr;
};
