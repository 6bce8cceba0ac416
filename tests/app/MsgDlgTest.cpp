// The message dialog: answers, the progress use, late updates, line breaks and wrapping.
#include "app/CMsgDlg.h"
#include "support/GuiTestSupport.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using guitest::WhenOpen;

enum class Answer { OkButton, CancelButton, Escape, CloseBox, Enter };

struct AnswerCase {
    const char* what;  // also the test's name
    Answer answer;
    bool yes;
};

class MsgDlgAskOkCancelTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(MsgDlgAskOkCancelTest, OnlyOkMeansYes)
{
    const AnswerCase& k = GetParam();
    WhenOpen<CMsgDlg>([&k](CMsgDlg* dlg) {
        switch (k.answer) {
        case Answer::OkButton: dlg->okButton()->click(); break;
        case Answer::CancelButton: dlg->cancelButton()->click(); break;
        case Answer::Escape: QTest::keyClick(dlg, Qt::Key_Escape); break;
        case Answer::CloseBox: dlg->close(); break;
        case Answer::Enter: QTest::keyClick(dlg, Qt::Key_Return); break;
        }
    });
    EXPECT_EQ(CMsgDlg::AskOkCancel(nullptr, QStringLiteral("Are you sure to delete the log file ROOM_1.logu?")), k.yes)
        << k.what;
}

INSTANTIATE_TEST_SUITE_P(Answers, MsgDlgAskOkCancelTest,
                         ::testing::Values(AnswerCase{"OkButton", Answer::OkButton, true},
                                           AnswerCase{"EnterPressesDefaultOk", Answer::Enter, true},
                                           AnswerCase{"CancelButton", Answer::CancelButton, false},
                                           AnswerCase{"Escape", Answer::Escape, false},
                                           AnswerCase{"CloseBox", Answer::CloseBox, false}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(MsgDlgTest, OpensWithCaptionTextAndImageButtons)
{
    bool checked = false;
    WhenOpen<CMsgDlg>([&](CMsgDlg* dlg) {
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Tessaview U Messages"));
        EXPECT_EQ(dlg->textBox()->toPlainText(), QStringLiteral("Hello"));
        EXPECT_TRUE(dlg->textBox()->isReadOnly());
        EXPECT_EQ(dlg->okButton()->iconSize(), QSize(24, 24));
        EXPECT_EQ(dlg->cancelButton()->iconSize(), QSize(24, 24));
        EXPECT_TRUE(dlg->okButton()->isEnabled());
        EXPECT_TRUE(dlg->cancelButton()->isEnabled());
        EXPECT_EQ(CMsgDlg::currentMessageWindow.data(), dlg);
        checked = true;
        dlg->okButton()->click();
    });
    CMsgDlg::ShowMessage(nullptr, QStringLiteral("Hello"));
    EXPECT_TRUE(checked);
}

TEST(MsgDlgTest, ProgressStaysOpenUntilAnUpdateEnablesItsButtons)
{
    bool reachedEnd = false;
    WhenOpen<CMsgDlg>([&](CMsgDlg* dlg) {
        EXPECT_FALSE(dlg->okButton()->isEnabled());
        EXPECT_FALSE(dlg->cancelButton()->isEnabled());
        EXPECT_EQ(dlg->textBox()->toPlainText(), QStringLiteral("Downloading..."));

        // Neither Escape, Enter nor the close box ends it while the operation runs.
        QTest::keyClick(dlg, Qt::Key_Escape);
        QTest::keyClick(dlg, Qt::Key_Return);
        dlg->close();
        EXPECT_TRUE(dlg->isVisible());

        EXPECT_TRUE(CMsgDlg::UpdateCurrentMessage(QStringLiteral("512 bytes received."), false));
        EXPECT_EQ(dlg->textBox()->toPlainText(), QStringLiteral("512 bytes received."));
        EXPECT_EQ(CMsgDlg::sharedMessageText, QStringLiteral("512 bytes received."));
        EXPECT_FALSE(dlg->okButton()->isEnabled());
        EXPECT_FALSE(dlg->cancelButton()->isEnabled());

        EXPECT_TRUE(CMsgDlg::UpdateCurrentMessage(QStringLiteral("All the logs have been downloaded."), true));
        EXPECT_EQ(dlg->textBox()->toPlainText(), QStringLiteral("All the logs have been downloaded."));
        EXPECT_TRUE(dlg->okButton()->isEnabled());
        EXPECT_TRUE(dlg->cancelButton()->isEnabled());
        EXPECT_TRUE(dlg->buttonsEnabled);
        reachedEnd = true;
        dlg->okButton()->click();
    });
    EXPECT_EQ(CMsgDlg::RunProgress(nullptr, QStringLiteral("Downloading...")), CMsgDlg::Ok);
    EXPECT_TRUE(reachedEnd);
}

TEST(MsgDlgTest, UpdateAfterCloseReachesNothing)
{
    WhenOpen<CMsgDlg>([](CMsgDlg* dlg) { dlg->okButton()->click(); });
    CMsgDlg::ShowMessage(nullptr, QStringLiteral("Done."));
    EXPECT_TRUE(CMsgDlg::currentMessageWindow.isNull());
    EXPECT_FALSE(CMsgDlg::UpdateCurrentMessage(QStringLiteral("late"), true));
    EXPECT_EQ(CMsgDlg::sharedMessageText, QStringLiteral("late"));

    // A dialog that is closed but not yet destroyed is not reached either.
    CMsgDlg kept;
    kept.messageText = QStringLiteral("kept");
    WhenOpen<CMsgDlg>([](CMsgDlg* dlg) { dlg->okButton()->click(); });
    kept.exec();
    EXPECT_FALSE(CMsgDlg::UpdateCurrentMessage(QStringLiteral("later"), false));
    EXPECT_EQ(kept.textBox()->toPlainText(), QStringLiteral("kept"));
}

TEST(MsgDlgTest, ProgressUnderANestedMessageStillGetsItsFinalUpdate)
{
    CMsgDlg* progress = nullptr;
    bool finalSeen = false;
    WhenOpen<CMsgDlg>([&](CMsgDlg* dlg) {
        progress = dlg;
        // A second message opens over the progress dialog and takes the updates…
        WhenOpen<CMsgDlg>(
            [&](CMsgDlg* nested) {
                EXPECT_EQ(CMsgDlg::currentMessageWindow.data(), nested);
                nested->okButton()->click();
                // …and once it is closed, the progress dialog gets them again.
                QTimer::singleShot(0, [&] {
                    EXPECT_EQ(CMsgDlg::currentMessageWindow.data(), progress);
                    EXPECT_TRUE(CMsgDlg::UpdateCurrentMessage(QStringLiteral("Finished."), true));
                    EXPECT_EQ(progress->textBox()->toPlainText(), QStringLiteral("Finished."));
                    finalSeen = true;
                    progress->okButton()->click();
                });
            },
            dlg);
        CMsgDlg::ShowMessage(dlg, QStringLiteral("A nested message."));
    });
    EXPECT_EQ(CMsgDlg::RunProgress(nullptr, QStringLiteral("Working...")), CMsgDlg::Ok);
    EXPECT_TRUE(finalSeen);
}

TEST(MsgDlgTest, LineBreaksAndWrapping)
{
    WhenOpen<CMsgDlg>([](CMsgDlg* dlg) {
        QPlainTextEdit* box = dlg->textBox();
        EXPECT_EQ(box->toPlainText(), QStringLiteral("\nFailed to open logu file: invalid format."));
        EXPECT_EQ(box->blockCount(), 2);

        QString longText;
        for (int i = 0; i < 40; ++i)
            longText += QStringLiteral("All the logs have been downloaded. ");
        CMsgDlg::UpdateCurrentMessage(longText, true);
        QCoreApplication::processEvents();
        EXPECT_EQ(box->blockCount(), 1);
        EXPECT_GT(box->document()->firstBlock().layout()->lineCount(), 3) << "a long line wraps";
        EXPECT_GT(box->verticalScrollBar()->maximum(), 0) << "and can be scrolled";
        dlg->okButton()->click();
    });
    CMsgDlg::ShowMessage(nullptr, QStringLiteral("\r\nFailed to open logu file: invalid format."));
}

}  // namespace
