#pragma once

#include "app/application/ApplicationUnit.h"

#include <QMainWindow>

#include <memory>

// Base of the program's windows. An error that escapes a window's construction
// or its creation handler is shown to the user, and the program then stops
// with exit code 1, so that whoever started it can tell the start failed.
class THandleCreateExceptionForm : public QMainWindow
{
    Q_OBJECT
public:
    template<class TForm> static std::unique_ptr<TForm> CreateForm()
    {
        try {
            auto form = std::make_unique<TForm>();
            form->FormCreate();
            return form;
        } catch (const std::exception &e) {
            Application::HandleException(e);
        }
        throw EProgramHalt {1};
    }

protected:
    using QMainWindow::QMainWindow;
    virtual void FormCreate() { }
};
