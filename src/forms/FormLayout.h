#pragma once

#include <QRgb>

#include <span>
#include <string_view>
#include <type_traits>

class QLineEdit;
class QWidget;

namespace merlox2 {

class BandFrame;
class DocumentIcon;
class FaceButton;
class FormLabel;
class ImageBox;
class LineWidget;
class OptionButton;
struct ControlRow;

// Layouts are kept in twips, as the screens were drawn: 15 twips to a pixel at 96 dpi. A screen too big
// for the computer's screen is drawn smaller by one factor (Form::scale()), rounded to the nearest pixel.
constexpr int twipsToPixels(int twips, double scale = 1.0)
{
    if (scale == 1.0)
        return (twips + 7) / 15;
    const double pixels = twips * scale / 15.0 + 0.5;
    const int whole = int(pixels);
    return pixels < whole ? whole - 1 : whole;
}

enum FontStyle : unsigned { Regular = 0, Bold = 1, Italic = 2 };

// A control without a font of its own: 8.25 pt regular.
struct FontRow {
    double size = 8.25;
    unsigned style = Regular;
};

// The sizes and styles the screens use.
namespace fonts {
constexpr FontRow Pt24{24, Bold};
constexpr FontRow Pt18{18, Bold};
constexpr FontRow Pt13{13.5, Bold};
constexpr FontRow Pt13BoldItalic{13.5, Bold | Italic};
constexpr FontRow Pt12{12, Bold};
constexpr FontRow Pt12BoldItalic{12, Bold | Italic};
constexpr FontRow Pt9{9.75, Bold};
constexpr FontRow Pt8{8.25, Regular};
constexpr FontRow Pt8Bold{8.25, Bold};
} // namespace fonts

enum class Align { Left, Center };

constexpr QRgb NoColour = 0x00000000; // fully transparent: "not given"
constexpr QRgb rgb(int r, int g, int b) { return qRgb(r, g, b); }

namespace colours {
constexpr QRgb Black = rgb(0, 0, 0);
constexpr QRgb White = rgb(255, 255, 255);
constexpr QRgb Navy = rgb(0, 0, 128);
constexpr QRgb DarkBlue = rgb(0, 0, 192);
constexpr QRgb Blue = rgb(0, 0, 255);
constexpr QRgb LightGrey = rgb(192, 192, 192);
constexpr QRgb LightOrange = rgb(255, 192, 128);
constexpr QRgb Orange = rgb(255, 128, 0);
constexpr QRgb Red = rgb(255, 0, 0);
constexpr QRgb Green = rgb(0, 192, 0);
constexpr QRgb BrightGreen = rgb(0, 255, 0);
constexpr QRgb Yellow = rgb(255, 255, 0);
constexpr QRgb Olive = rgb(192, 192, 0);
} // namespace colours

// What the builder needs besides a row to make its control.
struct BuildContext {
    QWidget *form;
    qreal scale;             // the screen's size factor (Form::scale())
    bool autoDefaultButtons; // Enter on a focused button clicks it
};

namespace detail {
// How each kind of control is made from its row, named by its class (FormBuilder.cpp). Only these kinds
// can stand in a layout table: a member or decoration of another type does not link.
template <typename Widget>
QWidget *make(const ControlRow &row, const BuildContext &context);
template <>
QWidget *make<FormLabel>(const ControlRow &row, const BuildContext &context);
template <>
QWidget *make<QLineEdit>(const ControlRow &row, const BuildContext &context);
template <>
QWidget *make<OptionButton>(const ControlRow &row, const BuildContext &context);
template <>
QWidget *make<FaceButton>(const ControlRow &row, const BuildContext &context);
template <>
QWidget *make<BandFrame>(const ControlRow &row, const BuildContext &context);
template <>
QWidget *make<ImageBox>(const ControlRow &row, const BuildContext &context);
template <>
QWidget *make<DocumentIcon>(const ControlRow &row, const BuildContext &context);
template <>
QWidget *make<LineWidget>(const ControlRow &row, const BuildContext &context);

// Front-to-back order on every screen: option buttons, buttons, the frame, text boxes; labels, pictures
// and lines lie on the form's surface behind all of them.
template <typename Widget>
inline constexpr int stacking = 0;
template <>
inline constexpr int stacking<OptionButton> = 4;
template <>
inline constexpr int stacking<FaceButton> = 3;
template <>
inline constexpr int stacking<BandFrame> = 2;
template <>
inline constexpr int stacking<QLineEdit> = 1;
} // namespace detail

// What a row builds, and where the widget goes: the member of a screen's structure of controls, named by a
// pointer to member, member<&WorksheetControls::txtNombre>, whose type decides the kind of control; or,
// for what no code refers to (the lines of a drawing, a badge), decoration<LineWidget>. A row that names a
// member that does not exist does not compile; fillsEachMemberOnce() checks the rest. Members and
// structures are told apart by their names, not by addresses: the undefined-behaviour sanitizer stops GCC
// from comparing addresses at compile time.
struct ControlMember {
    std::string_view structure; // which structure; none: decoration
    std::string_view id;        // which member of it
    std::string_view name;      // the member's name as written
    QWidget *(*make)(const ControlRow &row, const BuildContext &context) = nullptr;
    void (*fill)(void *controls, QWidget *widget) = nullptr; // puts the widget into its member
    int stacking = 0;

    constexpr bool operator==(const ControlMember &other) const
    {
        return structure == other.structure && id == other.id;
    }
    // A member of a structure, not a decoration.
    constexpr explicit operator bool() const { return !structure.empty(); }
};

namespace detail {
template <typename Controls>
consteval std::string_view structureId()
{
    return __PRETTY_FUNCTION__;
}
template <auto Member>
consteval std::string_view memberId()
{
    return __PRETTY_FUNCTION__;
}
// "... [with auto Member = &merlox2::WorksheetControls::txtNombre; ...]" (GCC) or "[Member = &...]" (Clang).
// constexpr, not consteval: clang 14 (and so clang-tidy) rejects this call inside the initializer of `member`
// below; that initializer is constexpr, so it is still worked out while compiling.
constexpr std::string_view memberName(std::string_view id)
{
    std::string_view rest = id.substr(id.find("Member = "));
    rest = rest.substr(0, rest.find_first_of(";]"));
    return rest.substr(rest.rfind(':') + 1);
}

template <typename>
struct MemberTraits;
template <typename Controls, typename Widget>
struct MemberTraits<Widget * Controls::*> {
    using Structure = Controls;
    using Type = Widget;
};

// The widget was made by make<Type>, so it is of the member's type.
template <auto Member>
void fillMember(void *controls, QWidget *widget)
{
    using Traits = MemberTraits<decltype(Member)>;
    static_cast<typename Traits::Structure *>(controls)->*Member =
        static_cast<typename Traits::Type *>(widget);
}
} // namespace detail

template <auto Member>
inline constexpr ControlMember member{
    detail::structureId<typename detail::MemberTraits<decltype(Member)>::Structure>(),
    detail::memberId<Member>(),
    detail::memberName(detail::memberId<Member>()),
    &detail::make<typename detail::MemberTraits<decltype(Member)>::Type>,
    &detail::fillMember<Member>,
    detail::stacking<typename detail::MemberTraits<decltype(Member)>::Type>};

template <typename Widget>
inline constexpr ControlMember decoration{
    {}, {}, {}, &detail::make<Widget>, nullptr, detail::stacking<Widget>};

// One row of a layout table. Lines use left/top as the first end point and width/height as the
// second (x2, y2), with lineWidth in pixels.
struct ControlRow {
    ControlMember member;
    const char *name = nullptr; // the control's object name, where it is not its member's name (decorations)
    const char *caption = "";   // UTF-8
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    FontRow font = {};
    QRgb fore = NoColour; // text (or line) colour; black when not given
    QRgb back = NoColour; // background; transparent labels when not given
    Align align = Align::Left;
    bool autoSize = false;
    bool border = false;
    int tabIndex = -1; // -1: takes no focus
    bool wordWrap = false;
    bool stretch = false;     // images: stretched to the box, else drawn at their own size
    const char *picture = ""; // images: resource path
    int lineWidth = 1;        // lines
    ControlMember buddy = {}; // caption labels: the text box they name
};

enum class Placement { Normal, Maximized, AtScreenPosition };

struct FormTable {
    const char *name;
    const char *caption;
    int clientWidth; // twips
    int clientHeight;
    QRgb background;
    Placement placement = Placement::Normal;
    int screenLeft = 0; // twips, with Placement::AtScreenPosition
    int screenTop = 0;
    bool keyPreview = false;         // Enter becomes Tab
    bool autoDefaultButtons = false; // Enter on a focused button clicks it
    std::span<const ControlRow> controls;
};

// True when the rows fill every member of Controls, each exactly once: a structure of nothing but
// pointers to controls, as many as the rows that are not decorations, none named twice, and a decoration
// has a name. Checked with static_assert next to each table, so a row without its member, or a member
// without its row, fails the build.
template <typename Controls>
constexpr bool fillsEachMemberOnce(std::span<const ControlRow> rows)
{
    // Counting the pointers in Controls by their size is the point here.
    // NOLINTNEXTLINE(bugprone-sizeof-expression)
    static_assert(std::is_aggregate_v<Controls> && sizeof(Controls) % sizeof(QWidget *) == 0);
    std::size_t members = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].member) {
            if (rows[i].name == nullptr)
                return false;
            continue;
        }
        ++members;
        if (rows[i].member.structure != detail::structureId<Controls>())
            return false;
        for (std::size_t j = 0; j < i; ++j) {
            if (rows[j].member == rows[i].member)
                return false;
        }
    }
    return members == sizeof(Controls) / sizeof(QWidget *); // NOLINT(bugprone-sizeof-expression): as above
}

} // namespace merlox2
