// The way to the results browser decides what it may change: through the password and the
// editor's menu the teacher has every power; from the start window's hidden button nobody does.
#include "BrowserForms.h"
#include "EditorForms.h"
#include "Forms.h"
#include "ScriptedPlatform.h"
#include "StartupForms.h"
#include "TestDatabase.h"
#include "frmEdit.h"
#include "frmSek.h"
#include "frmStart.h"
#include "frmVeiv.h"
#include "ui_frmEdit.h"
#include "ui_frmSek.h"
#include "ui_frmStart.h"
#include "ui_frmVeiv.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class tst_TeacherRoad : public QObject {
    Q_OBJECT
private slots:
    void browserPowersFollowTheWayIn_data();
    void browserPowersFollowTheWayIn();
};

void tst_TeacherRoad::browserPowersFollowTheWayIn_data() {
    QTest::addColumn<bool>("throughPassword");
    QTest::newRow("password, editor menu") << true;
    QTest::newRow("start window's hidden button") << false;
}

void tst_TeacherRoad::browserPowersFollowTheWayIn() {
    QFETCH(bool, throughPassword);
    TestDatabase db;
    ScriptedPlatform platform;
    Forms forms(platform, db.store());
    registerStartupForms(forms);
    registerEditorForms(forms);
    registerBrowserForms(forms);
    forms.Show(QStringLiteral("frmStart"));
    auto& start = forms.get<frmStart>(QStringLiteral("frmStart"));
    if (throughPassword) {
        start.ui()->Combo1->setFocus();
        QTest::keyClick(start.ui()->Combo1, Qt::Key_Down);
        QTest::keyClick(start.ui()->Combo1, Qt::Key_Down); // "Режим Учителя"
        start.ui()->cmdAdd->click();
        auto& sek = forms.get<frmSek>(QStringLiteral("frmSek"));
        sek.ui()->txtSek->setText(QStringLiteral("5826"));
        sek.ui()->cmdOK->click();
        auto& editor = forms.get<frmEdit>(QStringLiteral("frmEdit"));
        QVERIFY(editor.isLoaded());
        editor.ui()->Veiv->trigger();
    } else {
        start.ui()->Command2->click();
    }
    auto& browser = forms.get<frmVeiv>(QStringLiteral("frmVeiv"));
    QVERIFY(browser.isLoaded());
    QCOMPARE(browser.hasTeacherPowers(), throughPassword);
    browser.ui()->cmdIzm->click();
    QCOMPARE(browser.ui()->cmdDelete->isVisible(), throughPassword);
    browser.ui()->cmdOk->click();
    QCOMPARE(forms.isLoaded(QStringLiteral("frmEdit")), throughPassword);
    QVERIFY(platform.messages.isEmpty());
}

QTEST_MAIN(tst_TeacherRoad)
#include "tst_teacherRoad.moc"
