#pragma once
// Horizontal alignment of a control's text (labels, panels, check boxes).
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
