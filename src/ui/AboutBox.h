#pragma once

// orvaneIntAbout: the modal About window.

#include <QDialog>

class QLabel;
class QPushButton;

namespace orvane::app {
class Platform;
}

namespace orvane::ui {

using app::Platform;

class Frame;

// The text a wrapped label shows for `text`: each hyphen inside `word` made
// a non-breaking one, so that the word is never split at the end of a line.
QString withUnbreakableWord(const QString& text, const QString& word);

// Makes a word-wrapped label draw its text with `word` kept whole; the
// label's text itself stays as set.
void keepWordWhole(QLabel* label, const QString& word);

class orvaneIntAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 5685;
    static constexpr int kDesignHeight = 5280;

    // Creating the window loads it (Form_Load runs).
    explicit orvaneIntAbout(Platform& platform, QWidget* parent = nullptr);

    QLabel* Picture1 = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblTradeMark = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCopyright = nullptr;
    Frame* fraTrademarks = nullptr;
    QLabel* lblDisclaimer = nullptr;
    Frame* fraSupport = nullptr;
    QLabel* lblVoice = nullptr;
    QLabel* lblFax = nullptr;
    QLabel* lblEmail = nullptr;
    QLabel* lblWWW = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* lblTm1 = nullptr;
    QLabel* lblTm2 = nullptr;

    void Form_Load();
    void Command1_Click();

private:
    void createSupportFrame();
    Platform& platform_;
};

using AboutBox = orvaneIntAbout;

} // namespace orvane::ui
