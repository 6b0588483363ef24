// The window started with a translated settings file: the single-byte texts show decoded as
// Windows-1252 on every page, as captions, tab titles and tool tips, and no text is cut off.
// Each page is saved as a picture in the temporary folder (dorive_lang_*.png).
#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <memory>

#include "app/dorive.h"
#include "app/qt/DORive1.h"
#include "app/qt/binders.h"
#include "support/fakes.h"

using namespace dorive;

namespace {

// A German translation as a technician would write it, every caption translated.
const char* const kGerman = R"([Language]
Language=Deutsch
Buttons=Tasten
Phone Book=Telefonbuch
Setting=Einstellung
Monitor=Monitor
Service=Wartung
1 button=1 Taste
2 buttons=2 Tasten
Buttons Module=Tastenmodul
Position=Position
Memo=Speicher
Phone Number=Rufnummer
Add Button=Taste hinzufügen
Write Button=Taste schreiben
Del Button=Taste löschen
Buttons Detect=Tastenerkennung
Keyboard Module=Tastaturmodul
Keyboard Memo=Speicher
Add Memo=Hinzufügen
Write Memo=Schreiben
Del Memo=Löschen
Keyboard Parameters=Tastaturparameter
Waiting to number=Wartezeit bis zur Nummer
Direct Call Number=Direktwahl
Keyboard Code=Zugangscodes
Add Code=Code hinzufügen
Del Code=Code löschen
Normal=Normal
Weekly=Wöchentlich
From date to date=Von Datum bis Datum
From date and month=Ab Datum, begrenzte Zugänge
From hour to hour=Von Uhrzeit bis Uhrzeit
Code=Code
Write Code=Code schreiben
Mo  Tu    We  Th     Fr    Sa    Su=Mo  Di    Mi  Do     Fr    Sa    So
Access Number=Zugänge
Send SMS to ADMIN1=SMS an ADMIN1 senden
from Date=ab Datum
to Date=bis Datum
month=Monat
day=Tag
from Hours=ab Uhrzeit
to Hours=bis Uhrzeit
hours=Uhr
Insert Line=Zeile einfügen
Delete Line=Zeile löschen
Find Name=Name suchen
Find=Suchen
Calls=Anrufe
Relays=Relais
SMSs=SMS
Admin=Verwalter
Volume Spk=Lautsprecher
Volume Mic=Mikrofon
Incomming Call Pick Up=Annahme ankommender Anrufe
Info Tones=Hinweistöne
No - ringing switch=Nein – Schalten durch Klingeln
All=Alle
only from SIM=nur von Nummern auf der SIM
Beeps=Pieptöne
Ring Tones=Klingeltöne
Voice Messages=Sprachansagen
Waiting Call=Wartezeit
Relay 1=Relais 1
Relay 2=Relais 2
camera=Kamera
light=Licht
button=Taste
SMS switch=SMS-Schalter
switch=Schalter
switch SIM ringing=Bei SIM-Anruf schalten
switch all ringing=Bei jedem Anruf schalten
switching code=Schaltcode
switching time=Schaltzeit (s)
SMSs with opening numbers=SMS mit Öffnungsnummern
Clock from GSM=Uhrzeit aus dem GSM-Netz
SMS ALARM ON=SMS Alarm ein
SMS ALARM OFF=SMS Alarm aus
Port=Eingang
disable=gesperrt
enable SMSs=SMS senden
enable tons=Töne ausgeben
Phone number for SMSs with opening numbers=Rufnummer für SMS mit Öffnungsnummern
Run=Betrieb
Stop=Anhalten
Save=Schreiben
Load=Lesen
Battery=Batterie
signal=Signal
Save Log=Protokoll speichern
Load List=Liste laden
Clear List=Liste leeren
Upgrade=Aktualisieren
[Help]
Buttons=Rufnummern der Tasten programmieren.
Telephone number=Rufnummer (mit Vorwahl)
Name of memory=Name des Speichers
Status=Zustand: Programmieren / Betrieb
)";

QString screenshotPath(const QString& name) {
    return QDir::temp().filePath("dorive_lang_" + name + ".png");
}

}  // namespace

class LanguageWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::VirtualClock> clock;
    std::unique_ptr<test::FakeProvider> provider;
    std::unique_ptr<test::ScriptedDialogs> dialogs;
    std::unique_ptr<test::FakeFiles> files;
    std::unique_ptr<Dorive> core;
    std::unique_ptr<TForm1> window;
    const std::string path = "/opt/dorive/GSMKelpy.ini";

    template <class W>
    W* w(const char* name) {
        auto* found = window->findChild<W*>(name);
        if (!found) qFatal("no widget %s", name);
        return found;
    }
    void show(const char* tabs, int index) { w<QTabWidget>(tabs)->setCurrentIndex(index); }

    // Texts that do not fit: a label, button or box smaller than its text needs, a widget
    // reaching out of the window, or a tab narrower than its title.
    QStringList clipped() {
        QCoreApplication::processEvents();
        QStringList out;
        const QRect inside = window->rect();
        for (QWidget* c : window->findChildren<QWidget*>()) {
            if (!c->isVisible()) continue;
            const bool text =
                qobject_cast<QLabel*>(c) || qobject_cast<QAbstractButton*>(c) || qobject_cast<QGroupBox*>(c);
            if (!text) continue;
            QSize need = c->minimumSizeHint();
            // A box's own text is its title; what it holds is checked on its own.
            if (auto* box = qobject_cast<QGroupBox*>(c))
                need = QSize(box->fontMetrics().horizontalAdvance(box->title()) + 8, 0);
            if (c->width() < need.width() || c->height() < need.height())
                out << QString("%1 %2x%3 < %4x%5")
                           .arg(c->objectName())
                           .arg(c->width())
                           .arg(c->height())
                           .arg(need.width())
                           .arg(need.height());
            if (!inside.contains(QRect(c->mapTo(window.get(), QPoint(0, 0)), c->size())))
                out << c->objectName() + " outside the window";
        }
        for (QTabBar* bar : window->findChildren<QTabBar*>()) {
            if (!bar->isVisible()) continue;
            for (int i = 0; i < bar->count(); ++i) {
                if (!bar->isTabVisible(i)) continue;
                const int textWidth = bar->fontMetrics().horizontalAdvance(bar->tabText(i));
                if (bar->tabRect(i).width() < textWidth + 8 || bar->tabRect(i).right() > bar->width())
                    out << "tab " + bar->tabText(i);
            }
        }
        return out;
    }
    void shot(const QString& name) {
        QCoreApplication::processEvents();
        QVERIFY(window->grab().save(screenshotPath(name)));
    }
    // The page shown now: pictured, and nothing on it cut off.
    void check(const QString& name) {
        shot(name);
        const QStringList cut = clipped();
        QVERIFY2(cut.isEmpty(), qPrintable(name + ": " + cut.join(", ")));
    }

    // The window as started on the German file, or with no file at all.
    void open(bool german) {
        clock = std::make_unique<test::VirtualClock>();
        provider = std::make_unique<test::FakeProvider>(*clock);
        dialogs = std::make_unique<test::ScriptedDialogs>();
        files = std::make_unique<test::FakeFiles>();
        if (german) {
            // The file holds single-byte Windows-1252 text, as a text editor on Windows saves it.
            QString text = QString::fromUtf8(kGerman);
            text.replace("\n", "\r\n");
            files->files[path] = toBytes(text);
        }
        DoriveOptions options;
        options.executable = "/opt/dorive/GSMKelpy";
        options.settingsPath = path;
        options.files = files.get();
        core = std::make_unique<Dorive>(*provider, *clock, *dialogs, options);
        window = std::make_unique<TForm1>(*core);
        core->post([this] { return core->FormCreate(); });
        clock->advance(200);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // A reading under the battery bar, so that its room is checked too.
        core->form().Voltage.setCaption("4120 mV");
    }

  private slots:
    void init() { open(true); }
    void cleanup() {
        window.reset();
        core.reset();
    }

    void translatedTextsShowDecoded() {
        QCOMPARE(w<QTabWidget>("PageControl1")->tabText(0), QString("Tasten"));
        QCOMPARE(w<QGroupBox>("GroupBox3")->title(), QString::fromUtf8("Annahme ankommender Anrufe"));
        QCOMPARE(w<QAbstractButton>("NoCall")->text(), QString::fromUtf8("Nein – Schalten durch Klingeln"));
        QCOMPARE(w<QAbstractButton>("AddButton")->text(), QString::fromUtf8("Taste hinzufügen"));
        QCOMPARE(w<QGroupBox>("GroupBox4")->title(), QString::fromUtf8("GSM-Quillmore"));
        QCOMPARE(w<QLabel>("Label49")->text(), QString("Code"));
        QCOMPARE(w<QLineEdit>("ADMIN7")->toolTip(), QString("Rufnummer (mit Vorwahl)"));
        QCOMPARE(w<QLineEdit>("Memo")->toolTip(), QString("Name des Speichers"));
        QCOMPARE(w<QWidget>("DeviceRun")->toolTip(), QString("Zustand: Programmieren / Betrieb"));
        QCOMPARE(w<QTabWidget>("PageControl1")->tabToolTip(1), QString("Telephone book in GSM-Quillmore"));

        // Written back at close byte for byte: every line of the translation is still there.
        const std::string before = files->files.at(path);
        window->close();
        const std::string after = files->files.at(path);
        std::size_t start = 0;
        while (start < before.size()) {
            const std::size_t end = before.find("\r\n", start);
            const std::string line = before.substr(start, end - start);
            QVERIFY2(after.find(line + "\r\n") != std::string::npos, line.c_str());
            start = end + 2;
        }
    }

    void everyPageShowsItsTextsUncut_data() {
        QTest::addColumn<bool>("german");
        QTest::newRow("de") << true;
        QTest::newRow("en") << false;
    }
    void everyPageShowsItsTextsUncut() {
        QFETCH(bool, german);
        if (!german) {
            cleanup();
            open(false);
        }
        struct Page {
            const char* name;
            std::vector<std::pair<const char*, int>> tabs;
        };
        const Page pages[] = {
            {"one_button", {{"PageControl1", 0}, {"ZEPtyp", 0}}},
            {"two_buttons", {{"PageControl1", 0}, {"ZEPtyp", 1}}},
            {"button_module", {{"PageControl1", 0}, {"ZEPtyp", 2}}},
            {"keypad_memos", {{"PageControl1", 0}, {"ZEPtyp", 3}, {"KeyBoardPages", 0}}},
            {"code_m0", {{"PageControl1", 0}, {"ZEPtyp", 3}, {"KeyBoardPages", 1}, {"ModeCode", 0}}},
            {"code_m1", {{"ModeCode", 1}}},
            {"code_m2", {{"ModeCode", 2}}},
            {"code_m3", {{"ModeCode", 3}}},
            {"code_m4", {{"ModeCode", 4}}},
            {"phone_book", {{"PageControl1", 1}}},
            {"calls", {{"PageControl1", 2}, {"SetingPages", 0}}},
            {"relays", {{"SetingPages", 1}}},
            {"smss", {{"SetingPages", 2}}},
            {"admin", {{"SetingPages", 3}}},
            {"monitor", {{"PageControl1", 3}}},
            {"service", {{"PageControl1", 4}}},
        };
        for (const Page& p : pages) {
            for (const auto& [tabs, index] : p.tabs) show(tabs, index);
            check(QString(german ? "de_" : "en_") + p.name);
        }
    }
};

QTEST_MAIN(LanguageWindowTest)
#include "language_window_test.moc"
