#include "ui/AboutBox.h"

#include "core/ProductInfo.h"
#include "ui/Artwork.h"
#include "ui/Controls.h"
#include "app/Platform.h"
#include "ui/Twips.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace orvane::ui {

namespace {

const QColor kBlue(0, 0, 192);   // &H00C00000

class WholeWordPainter : public QObject {
public:
    WholeWordPainter(QLabel* label, const QString& word) : QObject(label), word_(word) {}

    bool eventFilter(QObject* watched, QEvent* e) override
    {
        auto* l = qobject_cast<QLabel*>(watched);
        if (!l || e->type() != QEvent::Paint || !l->text().contains(word_))
            return false;
        QPainter p(l);
        p.setFont(l->font());
        p.setPen(l->palette().color(QPalette::WindowText));
        const QRect r = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(),
                                                   -l->margin());
        p.drawText(r, int(l->alignment()) | Qt::TextWordWrap,
                   withUnbreakableWord(l->text(), word_));
        return true;
    }

private:
    QString word_;
};

} // namespace

QString withUnbreakableWord(const QString& text, const QString& word)
{
    QString whole = word;
    whole.replace(u'-', QChar(0x2011));
    return QString(text).replace(word, whole);
}

void keepWordWhole(QLabel* label, const QString& word)
{
    if (label && !word.isEmpty())
        label->installEventFilter(new WholeWordPainter(label, word));
}

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& caption, const TwipRect& r,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop)
{
    auto* l = new QLabel(labelText(caption), parent);
    l->setTextFormat(Qt::PlainText);
    l->setObjectName(QLatin1String(name));
    l->setAlignment(align);
    l->setGeometry(toPixels(r));
    return l;
}

void colour(QLabel* l, const QColor& c)
{
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, c);
    l->setPalette(pal);
}

} // namespace

orvaneIntAbout::orvaneIntAbout(Platform& platform, QWidget* parent)
    : QDialog(parent), platform_(platform)
{
    setObjectName(QStringLiteral("orvaneIntAbout"));
    setFont(designFont(QStringLiteral("MS Sans Serif"), 8.25));
    setFixedSize(toPixels(kDesignWidth, kDesignHeight));
    setModal(true);

    Picture1 = label(this, "Picture1", QString(), {150, 390, 525, 495}, Qt::AlignCenter);
    Picture1->setPixmap(art::programIcon(32));
    lblTitle = label(this, "lblTitle", QStringLiteral("Product"), {810, 240, 3915, 690},
                     Qt::AlignRight | Qt::AlignTop);
    lblTitle->setFont(designFont(QStringLiteral("Arial"), 32.25, true));
    lblTradeMark = label(this, "lblTradeMark", QStringLiteral("tm"), {4740, 360, 465, 165});
    lblVersion = label(this, "lblVersion", QStringLiteral("Version"), {930, 930, 3795, 255},
                       Qt::AlignRight | Qt::AlignTop);
    lblVersion->setFont(designFont(QStringLiteral("Arial"), 12, true));
    lblCopyright = label(this, "lblCopyright", QStringLiteral("lblCopyright"), {120, 1350, 5415, 315},
                         Qt::AlignHCenter | Qt::AlignTop);

    fraTrademarks = new Frame(QString(), true, this);
    fraTrademarks->setObjectName(QStringLiteral("fraTrademarks"));
    fraTrademarks->setGeometry(toPixels(TwipRect{60, 1740, 5565, 1455}));
    lblDisclaimer = label(fraTrademarks, "lblDisclaimer", QStringLiteral("lblDisclaimer"),
                          {180, 270, 5265, 1065}, Qt::AlignHCenter | Qt::AlignTop);
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setFont(designFont(QStringLiteral("MS Sans Serif"), 9.75));
    colour(lblDisclaimer, kBlue);
    keepWordWhole(lblDisclaimer, product::name());

    createSupportFrame();

    Command1 = new QPushButton(QStringLiteral("&OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(toPixels(TwipRect{4470, 4230, 1000, 315}));
    // Enter presses OK as the default button; Escape reaches QDialog's
    // reject(), which closes the window the same way.
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    lblTm1 = label(this, "lblTm1", QStringLiteral("lblTm1"), {90, 4740, 5415, 225});
    lblTm2 = label(this, "lblTm2", QStringLiteral("lblTm2"), {90, 5010, 5415, 225});
    colour(lblTm1, kBlue);
    colour(lblTm2, kBlue);

    Form_Load();
}

void orvaneIntAbout::createSupportFrame()
{
    fraSupport = new Frame(QStringLiteral("Tech Support"), true, this);
    fraSupport->setObjectName(QStringLiteral("fraSupport"));
    fraSupport->setFont(designFont(QStringLiteral("Arial"), 8.25, true));
    fraSupport->setGeometry(toPixels(TwipRect{90, 3480, 4215, 1065}));
    const QFont plain = font();
    lblVoice = label(fraSupport, "lblVoice", QStringLiteral("Voice: +1 555 0142"), {150, 330, 1575, 225});
    lblFax = label(fraSupport, "lblFax", QStringLiteral("Fax: +1 555 0143"), {150, 660, 1575, 225});
    lblEmail = label(fraSupport, "lblEmail", QStringLiteral("Mail: help@halvorn.example"),
                     {1800, 330, 2310, 225});
    lblWWW = label(fraSupport, "lblWWW", QStringLiteral("Web: www.halvorn.example"), {1800, 660, 2310, 225});
    for (QLabel* l : {lblVoice, lblFax, lblEmail, lblWWW})
        l->setFont(plain);
}

void orvaneIntAbout::Form_Load()
{
    // Centred on the screen by its outer size; a fixed dialog frame is
    // estimated as 3 pixels of border and a 26-pixel title bar.
    const QSize screen = platform_.screenSize();
    const int outerW = toTwips(width() + 6);
    const int outerH = toTwips(height() + 32);
    move(toPixels((toTwips(screen.width()) - outerW) / 2),
         toPixels((toTwips(screen.height()) - outerH) / 2));

    setWindowTitle(QStringLiteral("About ") + product::name());
    lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                            .arg(product::kMajor)
                            .arg(product::kMinor)
                            .arg(product::kRevision));
    lblTitle->setText(product::name());
    lblCopyright->setText(product::legalCopyright());
    lblDisclaimer->setText(labelText(
        QStringLiteral("The ASME Boiler && Pressure Vessel Code Interpretations ")
        + QStringLiteral("published since 1977 by the American Society of Mechanical Engineers have been ")
        + QStringLiteral("reproduced in their entirety in Orvane-INT with the permission of ASME.")));
    lblTm1->setText(QStringLiteral("ASME is a trademark of the American Society of Mechanical Engineers."));
    lblTm2->setText(product::legalTrademarks());
    for (QLabel* l : findChildren<QLabel*>())
        growToText(l);
}

void orvaneIntAbout::Command1_Click()
{
    accept();
}

} // namespace orvane::ui
