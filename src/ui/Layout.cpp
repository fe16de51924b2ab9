#include "ui/Layout.h"

namespace orvane::ui {

namespace {

// A size below zero is not a valid property value: keep the old one.
void setSize(int& property, int value)
{
    if (value >= 0)
        property = value;
}

} // namespace

MainLayout layoutMainWindow(MainLayout l, int W, int H)
{
    if (W > kLayoutMinWidth) {
        l.frame2.left = W - (l.frame2.width + 180);
        l.frame3.left = W - (l.frame3.width + 180);
        l.command1_0.left = W - (l.command1_0.width + 180);
        l.command1_1.left = W - (l.command1_1.width + 180);
        setSize(l.frame0.width, W - (l.frame2.width + 360));
        setSize(l.frame4.width, W - (l.frame2.width + 360));
        setSize(l.richTextBox1.width, l.frame4.width - 270);
        setSize(l.shape1.width, l.frame4.width - 270);
        l.frame5.left = l.frame0.width - (l.frame5.width + 60);
        setSize(l.text1_1.width, l.frame0.width - (l.frame5.width + 300));
        l.frame6.left = l.frame4.width - (l.frame6.width + 60);
        l.frame7.left = l.frame4.width - (l.frame7.width + 180);
        l.command2_2.left = l.text1_1.left + l.text1_1.width - l.command2_2.width - 30;
        setSize(l.listView1_1.width, l.text1_1.width - l.command2_2.width - 30);
        l.listView1_0.left = l.frame2.left + 180;
    }
    if (H > kLayoutMinHeight) {
        const int T = l.toolbarHeight;
        l.command1_0.top = H - (l.command1_0.height + 530) - T;
        l.command1_1.top = l.command1_0.top - (l.command1_1.height + 60);
        setSize(l.frame3.height, l.command1_1.top - l.frame3.top - 90);
        setSize(l.frame4.height, l.command1_1.top - l.frame4.top - 90);
        l.frame1.top = l.frame4.height - (l.frame1.height + 120);
        l.frame7.top = l.frame4.height - (l.frame7.height + 120);
        setSize(l.listView1_2.height, l.frame3.height - 390);
        setSize(l.richTextBox1.height, (l.frame4.height - 390) - (l.frame1.height + 120));
        setSize(l.shape1.height, (l.frame4.height - 390) - (l.frame1.height + 120));
    }
    return l;
}

} // namespace orvane::ui
