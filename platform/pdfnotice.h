#pragma once
// Where printed documents went when they became PDF files rather than paper
// (PrintReport in printcanvas), for the program to tell the user.
#include <QString>
#include <functional>

// Called with every PDF file PrintReport has written whole, on the thread
// that printed.
void OnPdfWritten(std::function<void(const QString&)> listener);
