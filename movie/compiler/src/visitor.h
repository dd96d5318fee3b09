#pragma once

// A visitor for std::visit made of one lambda per alternative.

namespace zimo::asc {

template <class... Fs> struct Visitor : Fs... { using Fs::operator()...; };
// Not every compiler deduces an aggregate's arguments by itself yet.
template <class... Fs> Visitor(Fs...) -> Visitor<Fs...>;

} // namespace zimo::asc
