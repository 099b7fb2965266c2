#pragma once

class QString;
class QWidget;

// A form's card of Width pixels, centred on Surface (the overlay's page);
// the form lays its fields out on it.
QWidget *NewFormCard(QWidget *Surface, const QString &Name, int Width);
