#pragma once
// Font substitutes: the windows are laid out for Tahoma 8, which this
// platform lacks; a condensed sans face keeps texts within the sizes the
// windows were designed for. Safe to call more than once.
void UseFontSubstitutes();
