#pragma once

class QComboBox;
class QLineEdit;

// A single-line editor bound to a text field of the store accepts at most the
// field's width (from the schema), so nothing the analyst types is cut
// without a word when it is saved.
namespace FieldLimits {
int width(const char* table, const char* field); // 0 for fields without a width (memos)
void limit(QLineEdit* edit, const char* table, const char* field);
void limit(QComboBox* box, const char* table, const char* field); // an editable box
}
