// The real message boxes and file dialogs, answered as a user would answer
// them: titles, texts, icons, buttons, the filter, the starting file, no
// question before replacing a file and no extension added.
#include "app/dialogs.h"
#include "testenv.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using kvt::app::MessageIcon;
using kvt::app::WidgetDialogs;

namespace {

int strayModals = 0;   // modal windows left after an answer (e.g. a question)

// Runs `answer` on the next modal window once it is up. While that window
// stays open afterwards, whatever is modal is counted and rejected, so a
// failed check never hangs.
void whenModal(std::function<void(QWidget *)> answer)
{
    struct State {
        bool answered = false;
        QPointer<QWidget> window;
    };
    auto *poll = new QTimer;
    auto state = std::make_shared<State>();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer, state] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!state->answered) {
            if (modal) {
                state->answered = true;
                state->window = modal;
                answer(modal);
            }
        } else if (!state->window || !state->window->isVisible()) {
            poll->stop();
            poll->deleteLater();
        } else if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            ++strayModals;
            dialog->reject();
        }
    });
    poll->start(10);
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

    TestFolders m_folders;
    WidgetDialogs m_dialogs;

private slots:
    void messageBoxes()
    {
        QString seen;
        whenModal([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            seen = box->windowTitle() + "|" + box->text();
            QCOMPARE(box->icon(), QMessageBox::Warning);
            QCOMPARE(box->standardButtons(), QMessageBox::Ok);
            box->button(QMessageBox::Ok)->click();
        });
        m_dialogs.message(nullptr, QStringLiteral("Error Message"), QStringLiteral("Broken..."),
                          MessageIcon::Exclamation);
        QCOMPARE(seen, QStringLiteral("Error Message|Broken..."));

        // The save prompt: Yes and No, no icon; Escape or closing counts as No.
        const QString prompt = QStringLiteral("           Save before exit?");
        for (const bool yes : {true, false}) {
            whenModal([&](QWidget *modal) {
                auto *box = qobject_cast<QMessageBox *>(modal);
                QVERIFY(box);
                QCOMPARE(box->text(), prompt);
                QCOMPARE(box->icon(), QMessageBox::NoIcon);
                QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
                if (yes)
                    box->button(QMessageBox::Yes)->click();
                else
                    QTest::keyClick(box, Qt::Key_Escape);
            });
            QCOMPARE(m_dialogs.askYesNo(nullptr, QStringLiteral("Warning Message"), prompt,
                                        MessageIcon::None),
                     yes);
        }
        QCOMPARE(strayModals, 0);
    }

    void fileDialogs()
    {
        const QString existing = m_folders.file(QStringLiteral("old.kvt"));
        QFile f(existing);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("old") == 3);
        f.close();

        // Saving over a file asks nothing, and a typed name gets no extension.
        const QString typed = m_folders.file(QStringLiteral("noextension"));
        for (const QString &answer : {existing, typed}) {
            whenModal([&](QWidget *modal) {
                auto *dialog = qobject_cast<QFileDialog *>(modal);
                QVERIFY(dialog);
                QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
                QCOMPARE(dialog->nameFilters(), QStringList{kvt::app::ConfigurationFilter});
                QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
                QVERIFY(dialog->defaultSuffix().isEmpty());
                QCOMPARE(dialog->selectedFiles(), QStringList{existing});   // the starting file
                dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(answer);
                QTest::keyClick(dialog, Qt::Key_Return);
            });
            QCOMPARE(m_dialogs.saveFileName(nullptr, kvt::app::ConfigurationFilter, existing),
                     answer);
            QCOMPARE(strayModals, 0);
        }

        whenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
            QCOMPARE(dialog->nameFilters(), QStringList{kvt::app::ConfigurationFilter});
            dialog->reject();
        });
        QCOMPARE(m_dialogs.openFileName(nullptr, kvt::app::ConfigurationFilter, existing),
                 std::nullopt);
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
