#include "app/qt/memory_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/dorive.h"
#include "app/qt/binders.h"

namespace dorive {

namespace {

constexpr int kRowHeight = 24;
constexpr int kListWidth = 54;  // two characters and the arrow

template <class W>
W* named(W* w, const Control& model) {
    w->setObjectName(QString::fromStdString(model.name()));
    return w;
}

struct Builder {
    Dorive& core;

    QLabel* label(Control& model, QWidget* parent) {
        auto* w = named(new QLabel(parent), model);
        bindLabel(model, w);
        return w;
    }
    QLineEdit* edit(Edit& model, QWidget* parent, int width) {
        auto* w = named(new QLineEdit(parent), model);
        if (width > 0) w->setFixedWidth(width);
        w->setFixedHeight(kRowHeight);
        bindEdit(core, model, w);
        return w;
    }
    QComboBox* list(ComboBox& model, QWidget* parent, int width = kListWidth) {
        auto* w = named(new QComboBox(parent), model);
        w->setFixedWidth(width);
        w->setMaxVisibleItems(12);
        bindCombo(core, model, w);
        return w;
    }
    QPushButton* button(Button& model, QWidget* parent) {
        auto* w = named(new QPushButton(parent), model);
        bindButton(model, w);
        return w;
    }
    QCheckBox* check(CheckBox& model, QWidget* parent) {
        auto* w = named(new QCheckBox(parent), model);
        bindCheckBox(core, model, w);
        return w;
    }
    QRadioButton* radio(RadioButton& model, QWidget* parent) {
        auto* w = named(new QRadioButton(parent), model);
        bindRadio(core, model, w);
        return w;
    }
    QTreeWidget* tree(Tree& model, QWidget* parent) {
        auto* w = named(new QTreeWidget(parent), model);
        w->setRootIsDecorated(false);
        w->setUniformRowHeights(true);
        w->setMinimumWidth(120);
        // Lines are shown whole; a long one scrolls sideways.
        w->setTextElideMode(Qt::ElideNone);
        w->header()->setStretchLastSection(false);
        w->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        bindTree(core, model, w);
        return w;
    }
    // A tab page widget bound to its page control.
    QTabWidget* pages(PageControl& model, QWidget* parent, const std::vector<QWidget*>& pageWidgets) {
        auto* w = named(new QTabWidget(parent), model);
        for (QWidget* p : pageWidgets) w->addTab(p, QString());
        bindPageControl(model, w, pageWidgets);
        return w;
    }

    // Memo page or button page: the tree of all entries, the tree of the picked memory,
    // each with its delete button, and the fields of one entry.
    void memoryPage(QWidget* page, QGridLayout* grid, Form::MemoryPageControls& c, Tree& all, Tree& sel) {
        grid->setContentsMargins(6, 6, 6, 6);
        grid->setHorizontalSpacing(8);
        grid->setVerticalSpacing(4);
        grid->addWidget(label(c.TreeCaption, page), 0, 0);
        grid->addWidget(label(c.TreeSelCaption, page), 0, 1);
        grid->addWidget(tree(all, page), 1, 0);
        grid->addWidget(tree(sel, page), 1, 1);
        grid->addWidget(button(c.Del, page), 2, 0);
        grid->addWidget(button(c.DelSel, page), 2, 1);

        auto* fields = new QVBoxLayout;
        fields->setSpacing(2);
        fields->addWidget(label(c.NumberCaption, page));
        fields->addWidget(edit(c.Number, page, 0));
        fields->addSpacing(4);
        fields->addWidget(label(c.PosCaption, page));
        fields->addWidget(list(c.Pos, page), 0, Qt::AlignLeft);
        fields->addSpacing(4);
        fields->addWidget(label(c.PNumberCaption, page));
        fields->addWidget(edit(c.PNumber, page, 0));
        fields->addSpacing(4);
        QLabel* name = label(c.LabelName, page);
        QFont bold = name->font();
        bold.setBold(true);
        name->setFont(bold);
        fields->addWidget(name);
        fields->addStretch(1);
        fields->addWidget(button(c.Add, page));
        fields->addWidget(button(c.Write, page));
        grid->addLayout(fields, 0, 2, 3, 1);
        grid->setColumnStretch(0, 1);
        grid->setColumnStretch(1, 1);
        grid->setColumnMinimumWidth(2, 128);
    }

    // The weekday boxes under the `week` label, whose caption names the days Monday first;
    // each name stands over its box.
    QWidget* week(Form& f, QWidget* parent) {
        auto* w = named(new QWidget(parent), f.week);
        auto* grid = new QGridLayout(w);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setHorizontalSpacing(2);
        grid->setVerticalSpacing(0);
        std::vector<QPointer<QLabel>> names;
        CheckBox* days[] = {&f.Po, &f.Ut, &f.St, &f.Ct, &f.Pa, &f.So, &f.Ne};
        for (int d = 0; d < 7; ++d) {
            auto* n = new QLabel(w);
            n->setObjectName(QString("weekDay%1").arg(d + 1));
            n->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
            names.emplace_back(n);
            grid->addWidget(n, 0, d, Qt::AlignHCenter);
            grid->addWidget(check(*days[d], w), 1, d, Qt::AlignHCenter);
        }
        bindControl(f.week, w, [names](const QString& text) {
            const QStringList parts = text.split(QChar(' '), Qt::SkipEmptyParts);
            for (int d = 0; d < int(names.size()); ++d)
                if (names[d]) names[d]->setText(d < parts.size() ? parts[d] : QString());
        });
        return w;
    }

    // One page of ModeCode: title, code, relays, the mode's fields, SMS box and write button.
    QWidget* modePage(Form& f, int mode) {
        TabPage* pageModels[] = {&f.M0, &f.M1, &f.M2, &f.M3, &f.M4};
        Label* titles[] = {&f.TitleM0, &f.TitleM1, &f.TitleM2, &f.TitleM3, &f.TitleM4};
        Label* captions[] = {&f.CodeM0Caption, &f.CodeM1Caption, &f.CodeM2Caption, &f.CodeM3Caption,
                             &f.CodeM4Caption};
        Edit* codes[] = {&f.CodeM0, &f.CodeM1, &f.CodeM2, &f.CodeM3, &f.CodeM4};
        Label* names[] = {&f.LabelCodeM0, &f.LabelCodeM1, &f.LabelCodeM2, &f.LabelCodeM3, &f.LabelCodeM4};
        RadioButton* rel1[] = {&f.M0Rel1, &f.M1Rel1, &f.M2Rel1, &f.M3Rel1, &f.M4Rel1};
        RadioButton* rel2[] = {&f.M0Rel2, &f.M1Rel2, &f.M2Rel2, &f.M3Rel2, &f.M4Rel2};
        CheckBox* sms[] = {nullptr, &f.M1SMS, &f.M2SMS, &f.M3SMS, &f.M4SMS};
        Button* writes[] = {&f.WriteCode0, &f.WriteCode1, &f.WriteCode2, &f.WriteCode3, &f.WriteCode4};

        auto* page = named(new QWidget, *pageModels[mode]);
        auto* v = new QVBoxLayout(page);
        v->setContentsMargins(8, 6, 8, 6);
        v->setSpacing(4);
        QLabel* title = label(*titles[mode], page);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        title->setWordWrap(true);
        v->addWidget(title);

        auto* codeRow = new QHBoxLayout;
        codeRow->addWidget(label(*captions[mode], page));
        codeRow->addWidget(edit(*codes[mode], page, 100));
        QLabel* name = label(*names[mode], page);
        name->setFont(bold);
        codeRow->addWidget(name, 1);
        v->addLayout(codeRow);

        auto* relays = new QHBoxLayout;
        relays->addWidget(radio(*rel1[mode], page));
        relays->addSpacing(12);
        relays->addWidget(radio(*rel2[mode], page));
        relays->addStretch(1);
        v->addLayout(relays);

        auto* fields = new QGridLayout;
        fields->setHorizontalSpacing(6);
        fields->setVerticalSpacing(4);
        auto pair = [&](int row, Label& caption, ComboBox& a, ComboBox* b) {
            fields->addWidget(label(caption, page), row, 0);
            fields->addWidget(list(a, page), row, 1);
            if (b) fields->addWidget(list(*b, page), row, 2);
        };
        // Month and day heads over the two lists of a date.
        auto heads = [&](Label& month, Label& day) {
            fields->addWidget(label(month, page), 0, 1, Qt::AlignHCenter);
            fields->addWidget(label(day, page), 0, 2, Qt::AlignHCenter);
        };
        switch (mode) {
            case 1:
                fields->addWidget(week(f, page), 0, 0, 1, 4, Qt::AlignLeft);
                pair(1, f.M1AccesCaption, f.M1Acces, nullptr);
                break;
            case 2:
                heads(f.MonthM2Caption, f.DayM2Caption);
                pair(1, f.FromM2Caption, f.FromM2, &f.FromD2);
                pair(2, f.ToM2Caption, f.ToM2, &f.ToD2);
                break;
            case 3:
                heads(f.MonthM3Caption, f.DayM3Caption);
                pair(1, f.FromM3Caption, f.FromM3, &f.FromD3);
                pair(2, f.M3AccesCaption, f.M3Acces, nullptr);
                break;
            case 4:
                pair(0, f.FromHoursCaption, f.FromHours, nullptr);
                fields->addWidget(label(f.FromHoursUnit, page), 0, 2);
                pair(1, f.ToHoursCaption, f.ToHours, nullptr);
                fields->addWidget(label(f.ToHoursUnit, page), 1, 2);
                pair(2, f.M4AccesCaption, f.M4Acces, nullptr);
                break;
            default:
                break;
        }
        fields->setColumnStretch(3, 1);
        v->addLayout(fields);
        v->addStretch(1);

        // The SMS box on a line of its own, so that a longer caption is not cut by the button.
        if (sms[mode]) v->addWidget(check(*sms[mode], page));
        auto* bottom = new QHBoxLayout;
        bottom->addStretch(1);
        bottom->addWidget(button(*writes[mode], page));
        v->addLayout(bottom);
        return page;
    }

    QWidget* codePage(Form& f) {
        auto* page = named(new QWidget, f.KeyBoardCode);
        auto* h = new QHBoxLayout(page);
        h->setContentsMargins(6, 6, 6, 6);
        h->setSpacing(8);
        auto* left = new QVBoxLayout;
        left->setSpacing(4);
        left->addWidget(label(f.TreeCodeCaption, page));
        QTreeWidget* codes = tree(f.TreeCode, page);
        codes->setMinimumWidth(0);
        codes->setFixedWidth(170);
        left->addWidget(codes, 1);
        auto* buttons = new QHBoxLayout;
        buttons->setSpacing(4);
        buttons->addWidget(button(f.AddCode, page));
        buttons->addWidget(button(f.DelCode, page));
        left->addLayout(buttons);
        h->addLayout(left);
        std::vector<QWidget*> modes;
        for (int m = 0; m < 5; ++m) modes.push_back(modePage(f, m));
        QTabWidget* modeTabs = pages(f.ModeCode, page, modes);
        modeTabs->setUsesScrollButtons(false);
        modeTabs->setDocumentMode(true);
        h->addWidget(modeTabs, 1);
        return page;
    }
};

}  // namespace

QWidget* makeModuleButtonsPage(Dorive& core) {
    Form& f = core.form();
    Builder b{core};
    auto* page = named(new QWidget, f.ModuleButtons);
    auto* grid = new QGridLayout(page);
    b.memoryPage(page, grid, f.ButtonControls, f.TreeButtons, f.TreeButtonsSel);
    grid->addWidget(b.check(f.DetBut, page), 3, 0, 1, 3);
    return page;
}

QWidget* makeModuleKeyboardPage(Dorive& core) {
    Form& f = core.form();
    Builder b{core};
    auto* page = named(new QWidget, f.ModuleKeyboard);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);

    auto* params = named(new QGroupBox(page), f.KeyBoardParams);
    QPointer<QGroupBox> guard(params);
    bindControl(f.KeyBoardParams, params, [guard](const QString& text) {
        if (guard) guard->setTitle(text);
    });
    auto* row = new QHBoxLayout(params);
    row->setContentsMargins(8, 2, 8, 4);
    row->addWidget(b.label(f.Label63, params));
    auto* wait = named(new QComboBox(params), f.WaitBUF);
    wait->setFixedWidth(56);
    bindCombo(core, f.WaitBUF, wait);
    row->addWidget(wait);
    row->addSpacing(24);
    row->addWidget(b.check(f.DirectCall, params));
    row->addStretch(1);
    layout->addWidget(params);

    auto* memoPage = named(new QWidget, f.KeyBoardMemo);
    b.memoryPage(memoPage, new QGridLayout(memoPage), f.MemoControls, f.TreeMemo, f.TreeMemoSel);
    QTabWidget* inner = b.pages(f.KeyBoardPages, page, {memoPage, b.codePage(f)});
    layout->addWidget(inner, 1);
    return page;
}

}  // namespace dorive
