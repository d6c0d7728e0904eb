// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "editor/geometrywidget.h"
#include "tests/common/testenvironment.h"
#include "tests/platform/winprops/geometrycases.h"

#include <QCheckBox>
#include <QScreen>
#include <QSpinBox>

#include <memory>

namespace {

// The controls of a geometry editor, reached by their object names.
struct Controls
{
    explicit Controls(GeometryWidget &widget)
        : geometryCB(widget.findChild<QCheckBox *>(QStringLiteral("geometryCB")))
        , widthSB(widget.findChild<QSpinBox *>(QStringLiteral("widthSB")))
        , heightSB(widget.findChild<QSpinBox *>(QStringLiteral("heightSB")))
        , xSB(widget.findChild<QSpinBox *>(QStringLiteral("xSB")))
        , ySB(widget.findChild<QSpinBox *>(QStringLiteral("ySB")))
        , fromRightEdgeCB(widget.findChild<QCheckBox *>(QStringLiteral("fromRightEdgeCB")))
        , fromBottomEdgeCB(widget.findChild<QCheckBox *>(QStringLiteral("fromBottomEdgeCB")))
        , centerOfScreenCB(widget.findChild<QCheckBox *>(QStringLiteral("centerOfScreenCB")))
    {
    }

    bool complete() const
    {
        return geometryCB && widthSB && heightSB && xSB && ySB && fromRightEdgeCB
            && fromBottomEdgeCB && centerOfScreenCB;
    }

    QCheckBox *geometryCB;
    QSpinBox *widthSB;
    QSpinBox *heightSB;
    QSpinBox *xSB;
    QSpinBox *ySB;
    QCheckBox *fromRightEdgeCB;
    QCheckBox *fromBottomEdgeCB;
    QCheckBox *centerOfScreenCB;
};

} // namespace

class TestGeometryWidget : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // The centring expectations below are for the offscreen platform's screen.
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 800, 600));
    }

    void init()
    {
        m_widget = std::make_unique<GeometryWidget>();
        m_controls = std::make_unique<Controls>(*m_widget);
        QVERIFY(m_controls->complete());
    }

    void startsWithoutGeometry()
    {
        QVERIFY(m_widget->geometryString().isNull());
        QVERIFY(!m_controls->widthSB->isEnabled());
        QCOMPARE(m_controls->widthSB->value(), 640);
        QCOMPARE(m_controls->heightSB->value(), 480);
    }

    void parse_data() { addGeometryStringRows(); }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, matches);
        QFETCH(GeometrySpec, shown);
        QFETCH(QString, composed);

        m_widget->setGeometryString(presetGeometry);
        m_widget->setGeometryString(text);
        QCOMPARE(m_controls->geometryCB->isChecked(), matches);
        QCOMPARE(m_controls->widthSB->value(), shown.width);
        QCOMPARE(m_controls->heightSB->value(), shown.height);
        QCOMPARE(m_controls->fromRightEdgeCB->isChecked(), shown.fromRightEdge);
        QCOMPARE(m_controls->xSB->value(), shown.x);
        QCOMPARE(m_controls->fromBottomEdgeCB->isChecked(), shown.fromBottomEdge);
        QCOMPARE(m_controls->ySB->value(), shown.y);
        QVERIFY(!m_controls->centerOfScreenCB->isChecked());
        QCOMPARE(m_widget->geometryString(), composed);
        QCOMPARE(m_widget->geometryString().isNull(), composed.isNull());
    }

    void changedOncePerControl_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("changes");
        QTest::newRow("same string") << presetGeometry << 0;
        QTest::newRow("same after leading zeros") << "0123x456-07-8" << 0;
        QTest::newRow("y only") << "123x456-7-9" << 1;
        QTest::newRow("edges only") << "123x456+7+8" << 2;
        QTest::newRow("everything") << "800x600+10+20" << 6;
        QTest::newRow("no match") << "nonsense" << 1;
    }

    void changedOncePerControl()
    {
        QFETCH(QString, text);
        QFETCH(int, changes);
        m_widget->setGeometryString(presetGeometry);
        QSignalSpy spy(m_widget.get(), &GeometryWidget::changed);
        m_widget->setGeometryString(text);
        QCOMPARE(spy.count(), changes);
    }

    void uncheckedGroupGivesNull()
    {
        m_widget->setGeometryString(presetGeometry);
        QSignalSpy spy(m_widget.get(), &GeometryWidget::changed);
        m_controls->geometryCB->setChecked(false);
        QCOMPARE(spy.count(), 1);
        QVERIFY(m_widget->geometryString().isNull());
        QVERIFY(!m_controls->xSB->isEnabled());
        m_controls->geometryCB->setChecked(true);
        QCOMPARE(m_widget->geometryString(), presetGeometry);
    }

    void centre_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("centred");
        QTest::addColumn<int>("changes");
        QTest::newRow("640x480") << "640x480+0+0"
                                 << "640x480+80+60" << 3;
        QTest::newRow("right edge kept") << "640x480-0+0"
                                         << "640x480-80+60" << 3;
        QTest::newRow("whole screen") << "800x600+5+5"
                                      << "800x600+0+0" << 3;
        QTest::newRow("odd size") << "641x481+0+0"
                                  << "641x481+79+59" << 3;
        QTest::newRow("already there") << "640x480+80+60"
                                       << "640x480+80+60" << 1;
        QTest::newRow("larger than screen") << "1000x700+0+0"
                                            << "1000x700+-100+-50" << 3;
        QTest::newRow("zero size") << "0x0+0+0"
                                   << "640x480+80+60" << 3;
        QTest::newRow("zero width") << "0x300+0+0"
                                    << "100x300+350+150" << 3;
        QTest::newRow("zero height") << "300x0+0+0"
                                     << "300x100+250+250" << 3;
    }

    void centre()
    {
        QFETCH(QString, before);
        QFETCH(QString, centred);
        QFETCH(int, changes);
        m_widget->setGeometryString(before);
        QSignalSpy spy(m_widget.get(), &GeometryWidget::changed);
        QSignalSpy widthSpy(m_controls->widthSB, qOverload<int>(&QSpinBox::valueChanged));
        QSignalSpy heightSpy(m_controls->heightSB, qOverload<int>(&QSpinBox::valueChanged));
        m_controls->centerOfScreenCB->setChecked(true);
        QCOMPARE(m_widget->geometryString(), centred);
        QCOMPARE(spy.count(), changes);
        QCOMPARE(widthSpy.count(), 0);
        QCOMPARE(heightSpy.count(), 0);
        for (QWidget *control :
             { static_cast<QWidget *>(m_controls->xSB), static_cast<QWidget *>(m_controls->ySB),
               static_cast<QWidget *>(m_controls->fromRightEdgeCB),
               static_cast<QWidget *>(m_controls->fromBottomEdgeCB) })
            QVERIFY(!control->isEnabled());
        QVERIFY(m_controls->widthSB->isEnabled());
    }

    void uncentringKeepsOffsets()
    {
        m_widget->setGeometryString(QStringLiteral("640x480-0-0"));
        m_controls->centerOfScreenCB->setChecked(true);
        m_controls->centerOfScreenCB->setChecked(false);
        QVERIFY(m_controls->xSB->isEnabled());
        QVERIFY(m_controls->fromBottomEdgeCB->isEnabled());
        QVERIFY(m_controls->fromBottomEdgeCB->isChecked());
        QCOMPARE(m_widget->geometryString(), QStringLiteral("640x480-80-60"));
    }

    void centreFollowsSize()
    {
        m_widget->setGeometryString(QStringLiteral("640x480+0+0"));
        m_controls->centerOfScreenCB->setChecked(true);
        QStringList order;
        connect(m_widget.get(), &GeometryWidget::changed, this,
                [&order, this] { order.append(QString::number(m_controls->xSB->value())); });
        m_controls->widthSB->setValue(641);
        // The size change is reported before the offset follows it.
        QCOMPARE(order, QStringList({ "80", "79" }));
        m_controls->heightSB->setValue(300);
        QCOMPARE(m_widget->geometryString(), QStringLiteral("641x300+79+150"));

        m_controls->centerOfScreenCB->setChecked(false);
        m_controls->widthSB->setValue(200);
        QCOMPARE(m_widget->geometryString(), QStringLiteral("200x300+79+150"));
    }

    void loadingEndsCentring()
    {
        m_widget->setGeometryString(QStringLiteral("640x480+0+0"));
        m_controls->centerOfScreenCB->setChecked(true);
        // The zero height is replaced while the centre box is still on from before.
        m_widget->setGeometryString(QStringLiteral("100x0+0+0"));
        QVERIFY(!m_controls->centerOfScreenCB->isChecked());
        QVERIFY(m_controls->xSB->isEnabled());
        QCOMPARE(m_widget->geometryString(), QStringLiteral("100x100+0+0"));
    }

    void noMatchKeepsCentring()
    {
        m_widget->setGeometryString(QStringLiteral("640x480+0+0"));
        m_controls->centerOfScreenCB->setChecked(true);
        m_widget->setGeometryString(QString());
        QVERIFY(m_controls->centerOfScreenCB->isChecked());
        m_controls->geometryCB->setChecked(true);
        QCOMPARE(m_widget->geometryString(), QStringLiteral("640x480+80+60"));
    }

private:
    std::unique_ptr<GeometryWidget> m_widget;
    std::unique_ptr<Controls> m_controls;
};

KIVO_TEST_MAIN(TestGeometryWidget)
#include "tst_geometrywidget.moc"
