#include "qt/game_window.h"

#include "core/design.h"
#include "core/desktop.h"
#include "qt/frame_extents.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMenuBar>
#include <QScreen>
#include <QStyleHints>
#include <QVBoxLayout>

#include <cmath>

namespace skyquill {

namespace {

// Where the window went, for a look at a window manager's ways:
// QT_LOGGING_RULES=skyquill.frame.debug=true.
Q_LOGGING_CATEGORY(lcFrame, "skyquill.frame", QtWarningMsg)

QRect pixelRect(const Box& box)
{
    return {design::pixels(box.left), design::pixels(box.top), design::pixels(box.width),
            design::pixels(box.height)};
}

QColor color(design::Rgb rgb)
{
    return {rgb.r, rgb.g, rgb.b};
}

// Point sizes become pixels at the density the window's twips are laid out
// for, 96 dots per inch, so text fits its boxes on any screen.
QFont gameFont(double points)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(static_cast<int>(std::lround(points * design::kTwipsPerPoint / design::kTwipsPerPixel)));
    font.setBold(true);
    return font;
}

// A label's accessible name stays Qt's default, the text it shows, so a
// screen reader reads the word and the score and hears each change; the
// purpose goes in the description.
QLabel* makeLabel(QWidget* parent, const Label& model, double points, const QString& purpose)
{
    auto* label = new QLabel(parent);
    label->setGeometry(pixelRect(model.designBox()));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(design::kLabelAlignment);
    label->setWordWrap(false);
    label->setFont(gameFont(points));
    label->setAccessibleDescription(purpose);
    return label;
}

void setColor(QWidget* widget, QPalette::ColorRole role, design::Rgb rgb)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color(rgb));
    widget->setPalette(palette);
}

// The desktop's caret blink period, as it was before any window of ours
// changed it.
int desktopFlashTime()
{
    static const int flashTime = QGuiApplication::styleHints()->cursorFlashTime();
    return flashTime;
}

int labelY(float top)
{
    return static_cast<int>(std::lround(top / static_cast<float>(design::kTwipsPerPixel)));
}

}  // namespace

GameWindow::GameWindow(frmSkyquill& form, QtPlatform& platform)
    : form_(form), platform_(platform), flashTime_(desktopFlashTime())
{
    setWindowTitle(design::kWindowCaption.toString());
    // A fixed frame: no maximise button and no resizing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    timer_ = new DropTimer([this] { forward([this] { form_.tmrSkyquill_Timer(); }); }, this);
    buildField();
    buildMenus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    platform_.setWindow(this);
    form_.setListener(this);
    mirrorAll();
}

GameWindow::~GameWindow()
{
    form_.setListener(nullptr);
}

void GameWindow::buildField()
{
    field_ = new QWidget(this);
    field_->setFixedSize(design::pixels(design::kClientWidth), design::pixels(design::kClientHeight));
    field_->setAutoFillBackground(true);
    setColor(field_, QPalette::Window, design::kBlack);
    setCentralWidget(field_);

    line_ = new QWidget(field_);
    const int lineX1 = design::pixels(design::kLineX1);
    line_->setGeometry(lineX1, design::pixels(design::kLineY) - design::kLinePixels / 2,
                       design::pixels(design::kLineX2) - lineX1, design::kLinePixels);
    line_->setAutoFillBackground(true);
    setColor(line_, QPalette::Window, design::kRed);

    lblPaused_ = makeLabel(field_, form_.lblPaused, design::kPausedPoints, tr("Pause banner"));
    setColor(lblPaused_, QPalette::WindowText, design::kRed);

    lblScore_ = makeLabel(field_, form_.lblScore, design::kScorePoints, tr("Score"));
    lblScore_->setAutoFillBackground(true);
    // Dark text whatever the desktop's palette: light green only works with it.
    setColor(lblScore_, QPalette::WindowText, design::kBlack);
    setColor(lblScore_, QPalette::Window, design::kLightGreen);

    lblWord_ = makeLabel(field_, form_.lblWord, design::kWordPoints, tr("Falling word"));
    setColor(lblWord_, QPalette::WindowText, design::kYellow);

    const auto keyFilter = [this](char16_t code) {
        forward([this, &code] { form_.txtWord_KeyPress(code); });
        return code;
    };
    // The field sets only its background, so the box takes the desktop's
    // text and base colours together and stays readable on any palette.
    txtWord_ = new EntryBox(keyFilter, field_);
    txtWord_->setGeometry(pixelRect(form_.txtWord.designBox()));
    txtWord_->setAlignment(design::kEntryAlignment);
    txtWord_->setFont(gameFont(design::kEntryPoints));
    txtWord_->setAccessibleName(tr("Entry box"));
    connect(txtWord_, &QLineEdit::textEdited, this,
            [this](const QString& text) { forward([this, &text] { form_.txtWord.setText(text); }); });
}

void GameWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(design::kFileMenu.toString());
    auto add = [this](QMenu* menu, const MenuItem& item, QKeyCombination key, void (frmSkyquill::*handler)()) {
        QAction* action = menu->addAction(item.caption());
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, handler] { forward([this, handler] { (form_.*handler)(); }); });
        menus_.push_back({&item, action});
    };
    add(file, form_.mnuNewGame, design::kNewGameKey, &frmSkyquill::mnuNewGame_Click);
    add(file, form_.mnuPauseGame, design::kPauseGameKey, &frmSkyquill::mnuPauseGame_Click);
    file->addSeparator();
    add(file, form_.mnuExit, design::kExitKey, &frmSkyquill::mnuExit_Click);

    QMenu* help = menuBar()->addMenu(design::kHelpMenu.toString());
    add(help, form_.mnuRules, design::kRulesKey, &frmSkyquill::mnuRules_Click);
    add(help, form_.mnuAbout, design::kAboutKey, &frmSkyquill::mnuAbout_Click);

    std::vector<QKeySequence> shortcuts;
    for (const MenuBinding& menu : menus_)
        shortcuts.push_back(menu.action->shortcut());
    txtWord_->setWindowShortcuts(std::move(shortcuts));
}

QAction* GameWindow::action(Element item) const
{
    for (const MenuBinding& menu : menus_)
        if (menu.item->id() == item)
            return menu.action;
    return nullptr;
}

template <typename Handler>
void GameWindow::forward(Handler&& handler)
{
    if (platform_.ended() || platform_.boxOpen())
        return;
    std::forward<Handler>(handler)();
}

void GameWindow::mirrorAll()
{
    for (const Property p : {Property::Caption, Property::Top, Property::Visible}) {
        mirrorLabel(form_.lblWord, lblWord_, p);
        mirrorLabel(form_.lblScore, lblScore_, p);
        mirrorLabel(form_.lblPaused, lblPaused_, p);
    }
    for (const Property p : {Property::Text, Property::SelStart, Property::Enabled})
        mirrorEntry(p);
    for (const MenuBinding& menu : menus_) {
        menu.action->setText(menu.item->caption());
        menu.action->setEnabled(menu.item->enabled());
    }
    mirrorTimer();
}

void GameWindow::mirrorTimer()
{
    const bool running = form_.tmrSkyquill.enabled();
    timer_->setEnabled(running, form_.tmrSkyquill.interval());
    // While nothing falls the window keeps still: a blinking caret in a
    // paused game would wake the program twice a second for nothing.
    QGuiApplication::styleHints()->setCursorFlashTime(running ? flashTime_ : 0);
}

void GameWindow::mirrorLabel(const Label& model, QLabel* widget, Property property)
{
    switch (property) {
    case Property::Caption:
        widget->setText(model.caption());
        break;
    case Property::Top:
        widget->move(widget->x(), labelY(model.top()));
        break;
    case Property::Visible:
        widget->setVisible(model.visible());
        break;
    default:
        break;
    }
}

void GameWindow::mirrorEntry(Property property)
{
    const TextBox& model = form_.txtWord;
    switch (property) {
    case Property::Text:
        if (txtWord_->text() != model.text())
            txtWord_->setText(model.text());
        break;
    case Property::SelStart:
        txtWord_->setCursorPosition(static_cast<int>(model.selStart()));
        break;
    case Property::Enabled:
        txtWord_->setEnabled(model.enabled());
        // Ready to type right after New Game; in an inactive window the box
        // takes the focus when the window is activated.
        if (model.enabled())
            txtWord_->setFocus();
        break;
    default:
        break;
    }
}

void GameWindow::elementChanged(Element element, Property property)
{
    switch (element) {
    case Element::tmrSkyquill:
        if (property == Property::Enabled)
            mirrorTimer();
        else
            timer_->setInterval(form_.tmrSkyquill.interval());
        break;
    case Element::txtWord:
        mirrorEntry(property);
        break;
    case Element::lblWord:
        mirrorLabel(form_.lblWord, lblWord_, property);
        break;
    case Element::lblScore:
        mirrorLabel(form_.lblScore, lblScore_, property);
        break;
    case Element::lblPaused:
        mirrorLabel(form_.lblPaused, lblPaused_, property);
        break;
    default:
        for (const MenuBinding& menu : menus_) {
            if (menu.item->id() != element)
                continue;
            if (property == Property::Caption)
                menu.action->setText(menu.item->caption());
            else
                menu.action->setEnabled(menu.item->enabled());
        }
        break;
    }
}

void GameWindow::showCentred()
{
    adjustSize();
    // Until the window is mapped Qt knows no frame, so the whole frame, title
    // bar included, is centred only if the window manager says beforehand how
    // wide it will be.
    const QMargins known = frameExtentsBeforeMap(*this).value_or(QMargins());
    centre(known);
    // A manager that tells the frame only once the window is mapped, or draws
    // another than it said, gets the window moved once, as it maps it.
    onFrameDiffering(*this, known, [this, known](const QMargins& drawn) {
        qCDebug(lcFrame) << "centred again in the frame drawn," << drawn << "not" << known;
        centre(drawn);
    });
    show();
}

void GameWindow::centre(const QMargins& frameMargins)
{
    // On the whole screen, as the player sees it, panels or not; a frame
    // too tall for it keeps its title bar on it.
    const QRect frame = placeFrame(rect().marginsAdded(frameMargins), screen()->geometry());
    // The client area's own position: the manager then lays its frame around
    // it, whatever gravity it would give a frame position.
    setGeometry(frame.marginsRemoved(frameMargins));
}

void GameWindow::closeEvent(QCloseEvent* event)
{
    // The close box ends the program as Exit does; no handler runs for it.
    platform_.endProgram(0);
    event->accept();
}

}  // namespace skyquill
