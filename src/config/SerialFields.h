#pragma once

// Values of the serial page.
struct SerialFields
{
    int m_nBaudrate = 4;
    int m_nParity = 0;
    int m_nDataBit = 3;
    int m_nStopBit = 0;
    int m_nFlowCtrl = 2;
    // Selection of the line-mode list (-1 = none). The page keeps it in step
    // with the list: a selection change updates it at once, and every data
    // exchange moves it with the other fields.
    int m_nLineMode = 0;
};
