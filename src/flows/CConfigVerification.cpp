#include "CConfigVerification.h"

#include "CEncodedConfig.h"
#include "CFrameProtocol.h"
#include "CMessageSink.h"
#include "CSerialComm.h"
#include "CanConfigBlock.h"
#include "FlowMessages.h"
#include "PortDiagnosis.h"

CConfigVerification::Outcome CConfigVerification::Verify(CSerialComm& port, ConverterModel model,
                                                         const CEncodedConfig& expected,
                                                         CMessageSink& messages,
                                                         QList<KeyDifference>& differences)
{
    CFrameProtocol protocol(port);
    QByteArray parameterBlock;
    QByteArray canConfigBlock = CanConfigBlock().toBytes();
    if (!protocol.ReadParameterBlock(parameterBlock) ||
        (!expected.CanConfigBlock().isEmpty() && !protocol.ReadCanConfigBlock(canConfigBlock))) {
        messages.ShowMessage(
            FlowMessages::Caption(), FlowMessages::CommunicationError(),
            PortDiagnosis::ExchangeFailure(protocol.LastFailure(), port.HasHungUp(), port.Name()));
        return Outcome::Failed;
    }
    differences = CConfigComparison::Compare(model, expected, parameterBlock, canConfigBlock);
    return differences.isEmpty() ? Outcome::Agrees : Outcome::Differs;
}
