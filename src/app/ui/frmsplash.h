#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>

class QGroupBox;
class QLabel;

// The About window: logo, company, product, version and platforms. It closes by itself a while
// after it was last activated, or at once on a key that types a character or a click on its
// frame (not on a label or the logo); however it closes, the main window is shown.
class frmSplash : public QWidget
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kCloseAfter{20000};

    explicit frmSplash(QWidget *mainWindow, std::chrono::milliseconds closeAfter = kCloseAfter);

    // "Versione 1.0.0": the program's major, minor and patch numbers.
    static QString versionLine();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWindow();
    void load();

    QPointer<QWidget> m_mainWindow;
    QGroupBox *m_frame = nullptr;
    QLabel *m_logo = nullptr;
    QLabel *m_company = nullptr;
    QLabel *m_product = nullptr;
    QLabel *m_description = nullptr;
    QLabel *m_version = nullptr;
    QLabel *m_platformCaption = nullptr;
    QLabel *m_platforms = nullptr;
    QTimer m_closeTimer;
};
