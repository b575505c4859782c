#pragma once

// Values of the conversion page. The codec, the profile and the flows work on
// this struct; the page widget inherits it and exchanges it with its controls.
struct TranFields
{
    int m_nMode = 0;
    int m_nDirection = 0;
    int m_nFrameSpace = 2;
    int m_bForwardID = 0;
    int m_bForwardInfo = 0;
    int m_nIdOffset = 0;
    int m_nIdLength = 1;
};
