// Operation labels ("Quarn_2D::Child_Add") joined at compile time for the shared tree code.
#pragma once

#include <cstddef>

namespace quarn {

/// A string literal usable as a template argument.
template <size_t N>
struct Label_Text {
  char text[N]{};
  constexpr Label_Text(const char (&s)[N]) {
    for (size_t i = 0; i < N; ++i) text[i] = s[i];
  }
};

namespace detail {
template <Label_Text Cls, Label_Text Op>
struct Joined_Label {
  static constexpr size_t Size = sizeof(Cls.text) + sizeof(Op.text) + 1;  // "::" less one NUL
  struct Storage {
    char text[Size]{};
  };
  static constexpr Storage Make() {
    Storage s{};
    size_t n = 0;
    for (size_t i = 0; Cls.text[i]; ++i) s.text[n++] = Cls.text[i];
    s.text[n++] = ':';
    s.text[n++] = ':';
    for (size_t i = 0; Op.text[i]; ++i) s.text[n++] = Op.text[i];
    return s;
  }
  static constexpr Storage value = Make();
};
}  // namespace detail

/// "Cls::Op" as a static string, for validity reports and traces.
template <Label_Text Cls, Label_Text Op>
constexpr const char* Label() {
  return detail::Joined_Label<Cls, Op>::value.text;
}

}  // namespace quarn
