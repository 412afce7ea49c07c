#pragma once
// Answers the modal dialogs that the code under test shows, from a timer of the thread's message loop.
#include <windows.h>

#include <functional>
#include <string>

// Answers the next dialog of this thread: Look sees it first, then Typed goes into its file name box
// (when it has one) and OK is pressed.
void AnswerNextDialog(const std::string& Typed, std::function<void(HWND Dialog)> Look = {});
void AnswerNextDialog(const std::wstring& Typed, std::function<void(HWND Dialog)> Look = {});
// The same for the next Count dialogs, one after the other.
void AnswerDialogs(const std::wstring& Typed, int Count, std::function<void(HWND Dialog)> Look = {});
// The texts of the dialog's static controls, joined by line breaks (a message box's message).
std::string DialogText(HWND Dialog);
