#include "lang/qtform.h"
#include "lang/template.h"
#include "langfixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {
template <typename T, typename Parent> T *named(Parent *parent, const char *name)
{
    T *object = new T(parent);
    object->setObjectName(QLatin1String(name));
    return object;
}

// A window with one component of every kind, and a few that translation must not see.
class SampleForm final : public QWidget
{
  public:
    explicit SampleForm(QByteArray formKey, FormOwner owner = FormOwner::Application,
                        bool inTemplate = true)
        : registration(this, std::move(formKey), owner, inTemplate)
    {
        setWindowTitle(QStringLiteral("Sample"));
        ok = named<QPushButton>(this, "BtnOk");
        ok->setText(QStringLiteral("&OK"));
        ok->setToolTip(QStringLiteral("Close it"));
        name = named<QLabel>(this, "LblName");
        name->setText(QStringLiteral("Café\nzwei"));
        (new QLabel(QStringLiteral("made in code"), this))->setToolTip(QStringLiteral("x"));
        named<QCheckBox>(this, "CbxNoConfirm")->setText(QStringLiteral("Don't show"));
        auto *group = named<QGroupBox>(this, "GrpMode");
        group->setTitle(QStringLiteral("Mode"));
        named<QRadioButton>(group, "RbtFast")->setText(QStringLiteral("Fast\tnow"));
        tabs = named<QTabWidget>(this, "NbkMode");
        tabs->addTab(named<QWidget>(this, "PageInfo"), QStringLiteral("Info"));
        tabs->addTab(named<QWidget>(this, "PageInstall"), QStringLiteral("Install"));
        named<QFrame>(this, "PnlBottom")->setProperty("caption", QStringLiteral("Bottom"));
        grid = named<QTableWidget>(this, "GrdStats");
        grid->setColumnCount(2);
        grid->setRowCount(2);
        grid->setItem(0, 0, new QTableWidgetItem(QStringLiteral("c0r0")));
        grid->setItem(1, 0, new QTableWidgetItem(QStringLiteral("c0r1")));
        grid->setItem(0, 1, new QTableWidgetItem(QStringLiteral("c1r0")));
        auto *menu = named<QMenu>(this, "PopupTray");
        named<QAction>(menu, "PopupTrayQuit")->setText(QStringLiteral("&Quit"));
        auto *hide = named<QAction>(menu, "PopupTrayHide");
        hide->setText(QStringLiteral("&Hide"));
        hide->setToolTip(QStringLiteral("Hide all"));
        named<QTimer>(this, "Timer");
        auto *open = named<QFileDialog>(this, "DlgOpen");
        open->setWindowTitle(QStringLiteral("Open"));
        open->setNameFilters({QStringLiteral("Language files (*.lng)"), QStringLiteral("All (*)")});
        named<QSpinBox>(this, "SEDays")->setToolTip(QStringLiteral("Days"));
        named<QComboBox>(this, "CbxChoice")->addItem(QStringLiteral("one"));
        tabs->setCurrentIndex(1);
    }

    FormRegistration registration;
    QPushButton *ok = nullptr;
    QLabel *name = nullptr;
    QTabWidget *tabs = nullptr;
    QTableWidget *grid = nullptr;
};

} // namespace

class TestFormText : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

  private slots:
    void init()
    {
        languages() = Languages();
        QFile::remove(QDir(m_dir.path()).filePath(QStringLiteral("Template.lng")));
    }

    void translateEdgeCases()
    {
        SampleForm form("SampleForm");
        selectTestLanguage(
            m_dir, readFile(QStringLiteral(FAVRAKE_TEST_DATA "/lang/sampleform-edges.lng")));
        TranslatableForm *translatable = &form.registration.form();
        QVERIFY(!languages().translateForm(nullptr, "SampleForm"));
        QVERIFY(!languages().translateForm(translatable, " \t"));
        QVERIFY(languages().translateForm(translatable, " SampleForm "));
        QCOMPARE(form.windowTitle(), "Beispiel");
        QCOMPARE(form.ok->text(), "&OK");
        QCOMPARE(form.ok->toolTip(), QString());
        QCOMPARE(form.name->text(), "Name\r\nzwei");
        QCOMPARE(form.tabs->toolTip(), "Seiten");
        QCOMPARE(form.tabs->tabText(1), "Einrichten");
        QCOMPARE(form.grid->item(1, 1)->text(), "neu");
        QCOMPARE(form.findChild<QAction *>("PopupTrayQuit")->text(), "&Beenden");
        QCOMPARE(form.findChild<QFileDialog *>("DlgOpen")->nameFilters(),
                 QStringList{QStringLiteral("Sprachen (*.lng)")});
    }

    // Application forms follow ApplyLanguage; floating forms wait for their own call and fall
    // back to the shared base key.
    void floatingFormsTranslatedApart()
    {
        SampleForm application("SampleForm");
        SampleForm bookmark("TBookmarkForm", FormOwner::Floating);
        SampleForm speed("TSpeedForm", FormOwner::Floating, false);
        selectTestLanguage(m_dir,
                           "SampleForm.BtnOk.Caption = 'Gut'\r\nApplicationTitle = 'Titel'\r\n"
                           "TBookmarkForm.BtnOk.Caption = 'Lesezeichen'\r\n"
                           "TBaseForm.BtnOk.Caption = 'Basis'\r\n"
                           "TBaseForm.LblName.Caption = 'Basisname'\r\n");
        QVERIFY(languages().applyLanguage());
        QCOMPARE(application.ok->text(), "Gut");
        QCOMPARE(bookmark.ok->text(), "&OK");
        QCOMPARE(languages().applicationTexts().title, "Titel");
        languages().translateFloatingForms();
        QCOMPARE(bookmark.ok->text(), "Lesezeichen");
        QCOMPARE(bookmark.name->text(), "Basisname");
        QCOMPARE(speed.ok->text(), "Basis");
        QCOMPARE(application.ok->text(), "Gut");
    }

    void templateMatchesGolden()
    {
        SampleForm application("SampleForm");
        SampleForm bookmark("TBookmarkForm", FormOwner::Floating);
        SampleForm speed("TSpeedForm", FormOwner::Floating, false);
        SampleForm hidden("HiddenDlg", FormOwner::Application, false);
        bookmark.grid->setColumnCount(0);
        languages().applicationTexts().helpFile =
            QStringLiteral("/usr/share/doc/favrake/help.html");
        const QString path = QDir(m_dir.path()).filePath(QStringLiteral("Template.lng"));
        writeLngFile(m_dir, QStringLiteral("Template.lng"), "older, longer content to replace");
        QVERIFY(writeLanguageTemplate(path).ok());
        QCOMPARE(readFile(path), readFile(QStringLiteral(FAVRAKE_TEST_DATA "/lang/template.lng")));
    }
};

QTEST_MAIN(TestFormText)
#include "test_formtext.moc"
