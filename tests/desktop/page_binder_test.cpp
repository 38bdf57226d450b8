// The binding layer between page models and widgets: what it could get wrong is echoing pushed
// state back as user actions, losing a user's action, or binding a control to the wrong widget.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <vector>

#include "desktop/page_binder.h"

namespace kestrum {
namespace {

// A page with one control of each kind; it records every event it is given.
class RecordingPage final : public OptionPage {
  public:
    ListControl list;
    CheckControl check;
    EditControl edit;
    RadioGroup radios;
    bool buttonEnabled = true;
    std::string label = "mm";
    std::vector<ControlEvent> events;

    RecordingPage() {
        list.Fill({"A0", "A1", "A2"});
        radios.chosen = 11;
    }

    std::vector<PageControl> Controls() override {
        return {
            {1, PageControl::Kind::List, &list},
            {2, PageControl::Kind::Check, nullptr, &check},
            {3, PageControl::Kind::Edit, nullptr, nullptr, &edit},
            {11, PageControl::Kind::Radio, nullptr, nullptr, nullptr, &radios},
            {12, PageControl::Kind::Radio, nullptr, nullptr, nullptr, &radios},
            {20, PageControl::Kind::Button, nullptr, nullptr, nullptr, nullptr, &buttonEnabled},
            {30, PageControl::Kind::Label, nullptr, nullptr, nullptr, nullptr, nullptr, &label},
        };
    }
    void Refresh(CUserObject&, MessageSink&) override {}
    void Export(CUserObject&) const override {}
    bool Apply(const ControlEvent& event, CUserObject&, MessageSink&) override {
        events.push_back(event);
        switch (event.id) {
            case 1:
                list.selected = event.index;
                // A rule of the model: choosing A0 disables the check box.
                check.enabled = event.index != 0;
                return true;
            case 2:
                check.checked = event.checked;
                return true;
            case 3:
                // Digits only, as the numeric fields of the pages take them.
                edit.text.clear();
                for (char c : event.text) {
                    if (c >= '0' && c <= '9') edit.text += c;
                }
                return true;
            case 11:
            case 12:
                radios.chosen = event.id;
                buttonEnabled = event.id == 11;
                return true;
            default:
                return false;  // button 20 opens a window: the front end's
        }
    }
};

class PageBinderTest : public QObject {
    Q_OBJECT

  private:
    template <typename W>
    static W* Add(QWidget& root, int id) {
        auto* w = new W(&root);
        root.layout()->addWidget(w);
        SetControlId(w, id);
        return w;
    }

  private slots:
    void pushesModelAndRoutesActionsWithoutEcho() {
        RecordingPage page;
        CUserObject values;
        CollectingMessageSink messages;
        QWidget root;
        root.setLayout(new QVBoxLayout);
        auto* combo = Add<QComboBox>(root, 1);
        auto* check = Add<QCheckBox>(root, 2);
        auto* edit = Add<QLineEdit>(root, 3);
        auto* radio11 = Add<QRadioButton>(root, 11);
        auto* radio12 = Add<QRadioButton>(root, 12);
        auto* button = Add<QPushButton>(root, 20);
        auto* label = Add<QLabel>(root, 30);

        PageBinder binder(page, values, messages);
        QCOMPARE(binder.BindAll(&root), 7);
        QVERIFY(page.events.empty());  // pushing is not a user action
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentIndex(), 0);
        QVERIFY(radio11->isChecked());
        QCOMPARE(label->text(), QString("mm"));
        QCOMPARE(root.findChild<QWidget*>("control12"), radio12);

        emit combo->activated(0);
        QCOMPARE(page.events.size(), std::size_t{1});
        QVERIFY(!check->isEnabled());  // the model's rule reached the widget

        QTest::keyClicks(edit, "1a2");
        QCOMPARE(edit->text(), QString("12"));
        QCOMPARE(page.edit.text, std::string("12"));

        radio12->click();
        QVERIFY(radio12->isChecked());
        QVERIFY(!radio11->isChecked());
        QVERIFY(!button->isEnabled());

        page.buttonEnabled = true;
        binder.Push();
        QSignalSpy clicked(&binder, &PageBinder::ButtonClicked);
        button->click();
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.at(0).at(0).toInt(), 20);

        const auto before = page.events.size();
        page.list.selected = 2;
        page.check.checked = true;
        binder.Push();
        QCOMPARE(page.events.size(), before);  // nothing echoed back
        QCOMPARE(combo->currentIndex(), 2);
        QVERIFY(check->isChecked());
    }

    void controlWithoutFittingWidgetStaysUnbound() {
        RecordingPage page;
        CUserObject values;
        CollectingMessageSink messages;
        QWidget root;
        root.setLayout(new QVBoxLayout);
        Add<QLineEdit>(root, 1);  // a list control needs a list widget
        Add<QCheckBox>(root, 2);
        PageBinder binder(page, values, messages);
        QCOMPARE(binder.BindAll(&root), 1);
    }
};

}  // namespace
}  // namespace kestrum

QTEST_MAIN(kestrum::PageBinderTest)
#include "page_binder_test.moc"
