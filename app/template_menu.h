#pragma once
// Fills the player window's two software menus with the maker's applications.
class Tprog;

// For each application, an item captioned with its address, " - " and its description, opening its page
// and named "linkde" and "linken" with its number, at the top of the German and the English software
// menu; the two site links below get their addresses.
void BuildSoftwareMenus(Tprog* Prog);
