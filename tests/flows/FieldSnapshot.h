#pragma once

#include <QVariantMap>

class CPageSet;

// Every field of the pages by name, for comparing a whole page set at once.
QVariantMap FieldSnapshot(CPageSet& pages);
