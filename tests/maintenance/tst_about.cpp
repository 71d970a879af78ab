#include "components/messages.h"
#include "maintenance/About.h"
#include "shell/maker.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QtTest>

class TestAbout : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void addressClickOpensUrl_data();
    void addressClickOpensUrl();
    void okButtonEndsModalShow();

private:
    QList<QUrl> m_opened;
};

void TestAbout::init()
{
    m_opened.clear();
    Msg::SetUrlHandler([this](const QUrl &url) { m_opened.append(url); });
}

void TestAbout::cleanup()
{
    Msg::SetUrlHandler(nullptr);
}

void TestAbout::addressClickOpensUrl_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QUrl>("expected");
    QTest::newRow("e-mail") << QStringLiteral("emailLabel")
                            << QUrl(QStringLiteral("mailto:") + Maker::Email());
    QTest::newRow("web site") << QStringLiteral("webLabel") << QUrl(Maker::WebAddress());
}

void TestAbout::addressClickOpensUrl()
{
    QFETCH(QString, label);
    QFETCH(QUrl, expected);

    TAboutBox box;
    box.show();
    auto *address = box.findChild<QLabel *>(label);
    QVERIFY(address);
    QCOMPARE(address->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(address->toolTip(), Maker::Name());

    QTest::mouseClick(address, Qt::LeftButton);
    QCOMPARE(m_opened, QList<QUrl>{expected});

    // Other buttons and the caption next to the address open nothing.
    QTest::mouseClick(address, Qt::RightButton);
    auto *caption = box.findChild<QLabel *>(label == QStringLiteral("emailLabel")
                                                ? QStringLiteral("emailCaption")
                                                : QStringLiteral("webCaption"));
    QVERIFY(caption);
    QTest::mouseClick(caption, Qt::LeftButton);
    QCOMPARE(m_opened.size(), 1);
    QVERIFY(box.isVisible());
}

void TestAbout::okButtonEndsModalShow()
{
    TAboutBox box;
    bool wasModal = false;
    QTimer::singleShot(0, &box, [&box, &wasModal] {
        wasModal = box.isVisible() && box.isModal();
        QTest::mouseClick(box.findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
    });
    QCOMPARE(box.exec(), int(QDialog::Accepted));
    QVERIFY(wasModal);
    QVERIFY(!box.isVisible());
    QVERIFY(m_opened.isEmpty());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
