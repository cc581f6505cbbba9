// The real message boxes and file dialogs, and a window fitted to the screen (offscreen: 800 x 800).
#include "testenv.h"
#include "ui/dialogs.h"
#include "ui/windowfit.h"

#include <QtTest>
#include <QtWidgets>

using namespace kvt::ui;

class TestUi : public QObject {
    Q_OBJECT

    TestFolders m_folders;

    // Runs `look` on the modal dialog once it shows; `look` closes it.
    template <class D> void whenShown(std::function<void(D *)> look)
    {
        QTimer::singleShot(0, this, [look] { look(qobject_cast<D *>(QApplication::activeModalWidget())); });
    }

private slots:
    // A box: title, icon, the text as it is (never as markup, also for a screen reader), the detail below it.
    // A file dialog: one filter, the start path's folder and file; what was chosen, or nothing when cancelled.
    // Saving asks nothing before replacing a file.
    void dialogs()
    {
        const QMessageBox::Icon shown[] = {QMessageBox::NoIcon, QMessageBox::Warning, QMessageBox::Information};
        QStringList seen;
        for (MessageIcon icon : {MessageIcon::None, MessageIcon::Exclamation, MessageIcon::Information}) {
            whenShown<QMessageBox>([&seen](QMessageBox *box) {
                seen = {box->windowTitle(), box->text(), box->informativeText(), QString::number(box->icon()),
                        QAccessible::queryAccessibleInterface(box->findChild<QWidget *>("qt_msgbox_label"))
                            ->text(QAccessible::Name)};
                box->accept();
            });
            WidgetDialogs().message(nullptr, "Title", "<b>x</b>", icon, "Detail");
            QCOMPARE(seen, QStringList({"Title", "<b>x</b>", "Detail", QString::number(shown[int(icon)]), "<b>x</b>"}));
        }
        const QString start = writeFile(m_folders.file("unit.kvt"), {});
        for (const auto &[save, cancel] : {std::pair{false, false}, {false, true}, {true, false}, {true, true}}) {
            whenShown<QFileDialog>([&seen, cancel](QFileDialog *dialog) {
                seen = dialog->nameFilters() << dialog->directory().path() << dialog->selectedFiles()
                                             << QString::number(dialog->testOption(QFileDialog::DontConfirmOverwrite));
                cancel ? dialog->reject() : static_cast<QDialog *>(dialog)->accept();
            });
            const auto chosen = save ? WidgetDialogs().saveFileName(nullptr, ConfigurationFilter, start)
                                     : WidgetDialogs().openFileName(nullptr, ConfigurationFilter, start);
            QCOMPARE(seen, QStringList({ConfigurationFilter, m_folders.path(), start, QString::number(save)}));
            QCOMPARE(chosen, cancel ? std::nullopt : std::optional(start));
        }
    }
    // Fixed at its full size where the area holds it with its frame; else as large as the area allows, at
    // least half of it, up to the full size with scroll bars. Centred with its frame. Without a frame of its
    // own, the scrolling area's content fills a window of the content's full size.
    void fitToScreen()
    {
        const int bar = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const QMargins frame(4, 20, 4, 4);
        // Full size; then minimum, size and maximum.
        const std::tuple<QSize, QSize, QSize, QSize> rows[] = {
            {{300, 200}, {300, 200}, {300, 200}, {300, 200}},
            {{792, 776}, {792, 776}, {792, 776}, {792, 776}},
            {{793, 776}, {396, 388}, {792, 776}, {793, 776 + bar}},
            {{792, 777}, {396, 388}, {792, 776}, {792 + bar, 777}},
            {{500, 900}, {396, 388}, {500 + bar, 776}, {500 + bar, 900}},
        };
        for (const auto &[whole, least, size, most] : rows) {
            QWidget window;
            kvt::ui::fitToScreen(&window, whole, frame);
            QCOMPARE(QList({window.minimumSize(), window.size(), window.maximumSize()}), QList({least, size, most}));
            const QRect outer(window.pos(), window.size().grownBy(frame)), area = window.screen()->availableGeometry();
            QCOMPARE(outer.topLeft() - area.topLeft(), area.bottomRight() - outer.bottomRight());
        }
        auto *content = new QWidget;
        content->setMinimumSize(100, 100);
        const std::unique_ptr<QScrollArea> area(kvt::ui::scrollingArea(content));
        QCOMPARE(expectedFrame(area.get()), QMargins(0, area->style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0));
        area->setFixedSize(300, 200);
        area->show();
        QTRY_COMPARE(content->geometry(), QRect(0, 0, 300, 200));
    }
};

QTEST_MAIN(TestUi)
#include "test_ui.moc"
