<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>CCanPage</name>
    <message>
        <source>CAN参数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>常规</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>波特率(&amp;A):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>自定义</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>5 K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>10 K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>20 K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>40 K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>50 K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>80 K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>100 K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>125 K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>200 K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>250 K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>400 K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>500 K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>666 K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>800 K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1000 K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>bps</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;BTR0/1:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(HEX)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>帧类型(&amp;T):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>标准帧</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>扩展帧</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>标识符</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送标识符(&amp;I):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>接收过滤模式(&amp;F):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>双滤波</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>单滤波</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>自定义屏蔽码</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>过滤验收码(&amp;C):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>过滤屏蔽码(&amp;M):</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CKelvaneDlg</name>
    <message>
        <source>设备(&amp;T):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ostrel-A</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ostrel-B</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ostrel-X</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>串口号(&amp;P):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>COM1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>COM2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>COM3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>COM4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>COM5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>COM6</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>COM7</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>COM8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>指定这个串口号连接的设备</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>连接设备(&amp;C)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CKelvaneSheet</name>
    <message>
        <source>Ostrel-X配置工具V1.01</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>导出…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>导入…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>默认值(&amp;D)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>读配置(&amp;R)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>写配置(&amp;W)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CPageArmCfgCan</name>
    <message>
        <source>CAN参数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>初始化参数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>波特率:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>寄存器:0x</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CAN ID:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>帧类型:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>标准帧</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>扩展帧</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>滤波参数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>使能滤波</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>滤波类型</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>起始ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>结束ID</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>模式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>起始帧ID: 0x</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>添加</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>删除</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>结束帧ID: 0x</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CPortAssignDialog</name>
    <message>
        <source>指定串口</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 连接到(&amp;D):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设备路径(&amp;A):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>空：自动选择</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CSerialPage</name>
    <message>
        <source>串口参数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>常规参数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>波特率(&amp;U):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>bps</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据位(&amp;D):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>5</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>6</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>7</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>8</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>奇偶校验(&amp;P):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无校验</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>奇校验</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>偶校验</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>强制为0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>强制为1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>停止位(&amp;S):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>流控制(&amp;F):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Xon/Xoff</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>硬件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>无</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>模式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>模式切换(&amp;M):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RS232模式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RS485模式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RS-422模式</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CTranPage</name>
    <message>
        <source>转换参数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>常规</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>转换模式(&amp;M):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>透明转换</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>透明带标识转换</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MODBUS转换</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>转换方向(&amp;I):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>双向</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>仅 串口 → CAN</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>仅 串口 ← CAN</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>转换</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>允许CAN帧信息转发到串行帧中</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>允许CAN帧ID转发到串行帧中</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CAN标识符在串行帧中的位置:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>起始偏移:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>长度:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>串行帧之间的时间间隔为每隔</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>个字符的时间</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
