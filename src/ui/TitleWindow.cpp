#include "ui/TitleWindow.h"

#include "core/ProductInfo.h"
#include "app/Controller.h"
#include "ui/Artwork.h"
#include "ui/Controls.h"
#include "ui/MainWindow.h"
#include "app/Platform.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QPainter>
#include <QTimer>

namespace orvane::ui {

orvaneIntTitle::orvaneIntTitle(app::Controller& controller, app::Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), controller_(controller), platform_(platform)
{
    setObjectName(QStringLiteral("orvaneIntTitle"));
    setWindowTitle(product::name());
    setWindowIcon(art::programIconSet());
    setFixedSize(kPictureWidth, kPictureHeight);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 128));
    setPalette(pal);
    setAutoFillBackground(true);
    picture_ = QPixmap::fromImage(art::titlePicture());

    struct Design {
        int index;
        const char* caption;
        const char* family;
        double points;
        bool bold;
        TwipRect rect;
    };
    const Design labels[] = {
        {0, "Orvane - INT", "Arial", 27.75, true, {3240, 1170, 2955, 660}},
        {1, "ASME B&&PV Code Interpretations", "Arial", 12, true, {2790, 1860, 3840, 285}},
        {2, "(c) Copyright Notice", "Small Fonts", 6.75, false, {60, 4140, 1245, 165}},
        {4, "TM", "Small Fonts", 6, false, {6180, 1140, 195, 150}},
    };
    for (const Design& d : labels) {
        auto* l = new QLabel(labelText(QString::fromLatin1(d.caption)), this);
        l->setObjectName(QStringLiteral("Label1(%1)").arg(d.index));
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setFont(designFont(QString::fromLatin1(d.family), d.points, d.bold));
        // White lettering straight on the picture.
        QPalette lp = l->palette();
        lp.setColor(QPalette::WindowText, Qt::white);
        l->setPalette(lp);
        l->setAttribute(Qt::WA_TranslucentBackground);
        l->setGeometry(toPixels(d.rect));
        // The title may be larger in the fonts at hand than in the design.
        growToText(l);
        Label1[std::size_t(d.index)] = l;
    }

    Form_Initialize();
}

orvaneIntTitle::~orvaneIntTitle() = default;

orvaneIntMain* orvaneIntTitle::mainWindow() const
{
    return main_.data();
}

void orvaneIntTitle::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, picture_);
    if (isVisible())
        scheduleActivation();
}

void orvaneIntTitle::Form_Initialize()
{
    controller_.readStartupSettings();
}

void orvaneIntTitle::Form_Load()
{
    Label1[2]->setText(product::legalCopyright());
    // A longer copyright line than the design text keeps its one line.
    growToText(Label1[2]);
    platform_.setMousePointer(app::MousePointer::Wait);
    // The window is frameless: its outer size is the picture's.
    const QSize screen = platform_.screenSize();
    const int left = (toTwips(screen.width()) - toTwips(width())) / 2;
    const int top = (toTwips(screen.height()) - toTwips(height())) / 2;
    move(toPixels(left), toPixels(top));
}

void orvaneIntTitle::start()
{
    Form_Load();
    show();
    // Activation follows once the window has been drawn (under a window
    // manager that is a while after show(): the manager maps it first), so
    // the title is on screen before the database opens. A display that never
    // draws it does not hold the start up for long.
    QTimer::singleShot(kLongestWaitForPaintMs, this, [this] { scheduleActivation(); });
}

void orvaneIntTitle::scheduleActivation()
{
    if (activationScheduled_)
        return;
    activationScheduled_ = true;
    QTimer::singleShot(0, this, [this] { Form_Activate(); });
}

void orvaneIntTitle::Form_Activate()
{
    startMoment_ = platform_.now();

    // Paint now: the window must be seen while the database opens.
    repaint();

    if (controller_.openStartupDatabase() == app::StartupOutcome::WrongPassword) {
        platform_.messageBox(QStringLiteral("Incorrect password"),
                             QStringLiteral("The database which has been selected does not have "
                                            "the correct password.")
                                 + QStringLiteral("\n\n") + QStringLiteral("Please contact Halvorn software."),
                             app::MessageIcon::Critical, app::MessageButtons::Ok);
        platform_.endProgram();
        return;
    }

    const QDateTime until = startMoment_.addSecs(kMinimumShowSeconds);
    if (platform_.now() < until)
        platform_.waitUntil(until);

    auto* main = new orvaneIntMain(controller_, platform_);
    main->setAttribute(Qt::WA_DeleteOnClose);
    main_ = main;
    main->loadAndShow();
    if (platform_.programEnded())
        return;

    Form_Unload();
    main->ownWindowClosed();

    platform_.setMousePointer(app::MousePointer::Default);
}

void orvaneIntTitle::Form_Unload()
{
    close();
}

} // namespace orvane::ui
