// Toolkit-neutral model of the game window's elements. The game rules read
// and write these properties exactly as they would on real widgets; the Qt
// view listens for changes and mirrors them, so every rule can be exercised
// in a plain unit test without a display.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <utility>

namespace skyquill {

enum class Element : std::uint8_t {
    tmrSkyquill,
    txtWord,
    lblWord,
    lblScore,
    lblPaused,
    mnuNewGame,
    mnuPauseGame,
    mnuExit,
    mnuRules,
    mnuAbout,
};

enum class Property : std::uint8_t { Enabled, Interval, Top, Caption, Visible, Text, SelStart };

// Told about every write that changed a value, after it took effect.
class ElementListener {
public:
    virtual ~ElementListener() = default;
    virtual void elementChanged(Element element, Property property) = 0;
};

// Shared plumbing: who the element is and whom to tell about changes.
class ElementBase {
public:
    explicit ElementBase(Element id) : id_(id) {}
    Element id() const { return id_; }
    void setListener(ElementListener* listener) { listener_ = listener; }

protected:
    template <typename T>
    void assign(T& field, const T& value, Property property)
    {
        if (field == value)
            return;
        field = value;
        if (listener_ != nullptr)
            listener_->elementChanged(id_, property);
    }

private:
    Element id_;
    ElementListener* listener_ = nullptr;
};

// Box geometry in twips; only a label's Top ever changes at run time.
struct Box {
    int left;
    int top;
    int width;
    int height;
};

class Label : public ElementBase {
public:
    Label(Element id, Box box, QString caption, bool visible)
        : ElementBase(id), box_(box), caption_(std::move(caption)), top_(static_cast<float>(box.top)),
          visible_(visible)
    {
    }

    const Box& designBox() const { return box_; }
    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption) { assign(caption_, caption, Property::Caption); }
    float top() const { return top_; }
    void setTop(float top) { assign(top_, top, Property::Top); }
    bool visible() const { return visible_; }
    void setVisible(bool visible) { assign(visible_, visible, Property::Visible); }

private:
    Box box_;
    QString caption_;
    float top_;
    bool visible_;
};

// The single-line entry box. A write of Text that changes the text raises the
// Change event synchronously, before the write returns; a write of the text
// already held raises nothing.
class TextBox : public ElementBase {
public:
    TextBox(Element id, Box box) : ElementBase(id), box_(box) {}

    const Box& designBox() const { return box_; }
    void onChange(std::function<void()> handler) { change_ = std::move(handler); }

    const QString& text() const { return text_; }
    void setText(const QString& text)
    {
        if (text == text_)
            return;
        // Where a write leaves the caret doesn't matter: every writer either
        // empties the text or puts the caret at its end afterwards.
        assign(text_, text, Property::Text);
        if (change_)
            change_();
    }

    qsizetype selStart() const { return selStart_; }
    void setSelStart(qsizetype position) { assign(selStart_, position, Property::SelStart); }

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled) { assign(enabled_, enabled, Property::Enabled); }

private:
    Box box_;
    QString text_;
    qsizetype selStart_ = 0;
    bool enabled_ = false;
    std::function<void()> change_;
};

class Timer : public ElementBase {
public:
    Timer(Element id, std::int32_t interval) : ElementBase(id), interval_(interval) {}

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled) { assign(enabled_, enabled, Property::Enabled); }
    std::int32_t interval() const { return interval_; }
    void setInterval(std::int32_t interval) { assign(interval_, interval, Property::Interval); }

private:
    bool enabled_ = false;
    std::int32_t interval_;
};

class MenuItem : public ElementBase {
public:
    MenuItem(Element id, QString caption, bool enabled)
        : ElementBase(id), caption_(std::move(caption)), enabled_(enabled)
    {
    }

    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption) { assign(caption_, caption, Property::Caption); }
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled) { assign(enabled_, enabled, Property::Enabled); }

private:
    QString caption_;
    bool enabled_;
};

}  // namespace skyquill
