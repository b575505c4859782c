<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>CArmCanConfig</name>
    <message>
        <source>自定义</source>
        <translation>Custom</translation>
    </message>
</context>
<context>
    <name>CBatchDialog</name>
    <message>
        <source>批量配置</source>
        <translation>Batch</translation>
    </message>
    <message>
        <source>配置：</source>
        <translation>Configuration:</translation>
    </message>
    <message>
        <source>页面上的值</source>
        <translation>The values on the pages</translation>
    </message>
    <message>
        <source>页面(&amp;P)</source>
        <translation>&amp;Pages</translation>
    </message>
    <message>
        <source>文档(&amp;D)…</source>
        <translation>&amp;Document…</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>设备</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>型号</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>原因</source>
        <translation>Reason</translation>
    </message>
    <message>
        <source>全选(&amp;A)</source>
        <translation>Select &amp;All</translation>
    </message>
    <message>
        <source>导出报告(&amp;E)…</source>
        <translation>&amp;Export Report…</translation>
    </message>
    <message>
        <source>写入并校验(&amp;S)</source>
        <translation>Write &amp;&amp; &amp;Verify</translation>
    </message>
    <message>
        <source>取消(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>本窗口已连接</source>
        <translation>Connected in this window</translation>
    </message>
    <message>
        <source>无设备</source>
        <translation>No device</translation>
    </message>
    <message>
        <source>本窗口已连接此串口，请先断开</source>
        <translation>This window is connected to the port; disconnect first</translation>
    </message>
    <message>
        <source>与前面的串口是同一设备</source>
        <translation>The same device as a port above</translation>
    </message>
    <message>
        <source>等待</source>
        <translation>Waiting</translation>
    </message>
    <message>
        <source>成功 %1 个，失败 %2 个</source>
        <translation>%1 OK, %2 failed</translation>
    </message>
    <message>
        <source>，跳过 %1 个</source>
        <translation>, %1 skipped</translation>
    </message>
    <message>
        <source>无法写入“%1”：%2</source>
        <translation>Cannot write &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>文档</source>
        <translation>Document</translation>
    </message>
    <message>
        <source>导出报告</source>
        <translation>Export Report</translation>
    </message>
    <message>
        <source>，已取消 %1 个</source>
        <translation>, %1 cancelled</translation>
    </message>
    <message>
        <source>批量配置正在进行。取消它并关闭窗口吗？</source>
        <translation>A batch run is under way. Cancel it and close the window?</translation>
    </message>
    <message>
        <source>已导出到 %1</source>
        <translation>Exported to %1</translation>
    </message>
    <message>
        <source>型号：</source>
        <translation>Model:</translation>
    </message>
    <message>
        <source>选中一行，这里显示它的全部消息。</source>
        <translation>Select a row to see all of its messages here.</translation>
    </message>
    <message>
        <source>没有可选的串口</source>
        <translation>No port to select</translation>
    </message>
    <message>
        <source>已选择 %1 个：指定了设备的串口和 USB 串口</source>
        <translation>Selected %1: the ports with an assigned device and the USB ports</translation>
    </message>
    <message>
        <source>没有指定设备的串口，已选择全部 %1 个现有串口</source>
        <translation>No port has an assigned device; selected all %1 present ports</translation>
    </message>
    <message>
        <source>状态：%1</source>
        <translation>State: %1</translation>
    </message>
    <message>
        <source>型号：%1</source>
        <translation>Model: %1</translation>
    </message>
    <message>
        <source>原因：%1</source>
        <translation>Reason: %1</translation>
    </message>
    <message>
        <source>不同的字段：</source>
        <translation>Differing fields:</translation>
    </message>
    <message>
        <source>消息：</source>
        <translation>Messages:</translation>
    </message>
</context>
<context>
    <name>CBitTiming</name>
    <message>
        <source>%1 不是常用的 CAN 波特率</source>
        <translation>%1 is not a usual CAN bit rate</translation>
    </message>
    <message>
        <source>采样点 %1 不在 75%–90% 之间</source>
        <translation>sample point %1 is not between 75% and 90%</translation>
    </message>
    <message>
        <source>SJW %1 大于段 2（%2）</source>
        <translation>SJW %1 is longer than segment 2 (%2)</translation>
    </message>
    <message>
        <source>寄存器的保留位不为 0</source>
        <translation>reserved bits of the register are not 0</translation>
    </message>
    <message>
        <source>%1，采样点 %2，SJW %3，每位 %4 个时间份额（同步 1 + 段 1 %5 + 段 2 %6），%7</source>
        <translation>%1, sample point %2, SJW %3, %4 time quanta per bit (sync 1 + segment 1 %5 + segment 2 %6), %7</translation>
    </message>
    <message>
        <source>三次采样</source>
        <translation>sampled three times</translation>
    </message>
    <message>
        <source>单次采样</source>
        <translation>sampled once</translation>
    </message>
</context>
<context>
    <name>CBitTimingDialog</name>
    <message>
        <source>波特率计算器</source>
        <translation>Bit Rate Calculator</translation>
    </message>
    <message>
        <source>波特率(&amp;A):</source>
        <translation>Bit r&amp;ate:</translation>
    </message>
    <message>
        <source>采样点(&amp;S):</source>
        <translation>&amp;Sample point:</translation>
    </message>
    <message>
        <source> %</source>
        <translation> %</translation>
    </message>
    <message>
        <source>SJ&amp;W:</source>
        <translation>SJ&amp;W:</translation>
    </message>
    <message>
        <source>三次采样(&amp;T)</source>
        <translation>Sample &amp;three times</translation>
    </message>
    <message>
        <source>寄存器</source>
        <translation>Register</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Bit rate</translation>
    </message>
    <message>
        <source>采样点</source>
        <translation>Sample point</translation>
    </message>
    <message>
        <source>SJW</source>
        <translation>SJW</translation>
    </message>
    <message>
        <source>时间份额</source>
        <translation>Time quanta</translation>
    </message>
    <message>
        <source>请输入波特率，如 250K 或 83.333K</source>
        <translation>Type a bit rate such as 250K or 83.333K</translation>
    </message>
    <message>
        <source>没有寄存器值能在 0.5% 以内给出这个波特率</source>
        <translation>No register value gives this bit rate within 0.5%</translation>
    </message>
    <message>
        <source>共 %1 个值，最好的在前</source>
        <translation>%1 values, the best first</translation>
    </message>
</context>
<context>
    <name>CBitTimingPanel</name>
    <message>
        <source>计算器(&amp;L)…</source>
        <translation>Ca&amp;lculator…</translation>
    </message>
    <message>
        <source>不是寄存器值</source>
        <translation>Not a register value</translation>
    </message>
    <message>
        <source>注意：%1</source>
        <translation>Note: %1</translation>
    </message>
</context>
<context>
    <name>CBitTimingView</name>
    <message>
        <source>同步 1 + 段 1 %1 + 段 2 %2 个时间份额，SJW %3</source>
        <translation>sync 1 + segment 1 %1 + segment 2 %2 time quanta, SJW %3</translation>
    </message>
</context>
<context>
    <name>CCanPage</name>
    <message>
        <source>CAN参数</source>
        <translation>CAN</translation>
    </message>
    <message>
        <source>常规</source>
        <translation>General</translation>
    </message>
    <message>
        <source>波特率(&amp;A):</source>
        <translation>B&amp;aud rate:</translation>
    </message>
    <message>
        <source>自定义</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>标准帧</source>
        <translation>Standard frame</translation>
    </message>
    <message>
        <source>扩展帧</source>
        <translation>Extended frame</translation>
    </message>
    <message>
        <source>标识符</source>
        <translation>Identifier</translation>
    </message>
    <message>
        <source>发送标识符(&amp;I):</source>
        <translation>Send &amp;identifier:</translation>
    </message>
    <message>
        <source>接收过滤模式(&amp;F):</source>
        <translation>Receive &amp;filter mode:</translation>
    </message>
    <message>
        <source>双滤波</source>
        <translation>Dual filter</translation>
    </message>
    <message>
        <source>单滤波</source>
        <translation>Single filter</translation>
    </message>
    <message>
        <source>自定义屏蔽码</source>
        <translation>Custom mask</translation>
    </message>
    <message>
        <source>过滤屏蔽码(&amp;M):</source>
        <translation>Acceptance &amp;mask:</translation>
    </message>
    <message>
        <source>帧类型(&amp;Y):</source>
        <translation>Frame t&amp;ype:</translation>
    </message>
    <message>
        <source>过滤验收码(&amp;N):</source>
        <translation>Accepta&amp;nce code:</translation>
    </message>
</context>
<context>
    <name>CCliArguments</name>
    <message>
        <source>转换器型号：A、B 或 X（或 0、1、2），默认为 X。</source>
        <translation>Converter model: A, B or X (or 0, 1, 2). Default X.</translation>
    </message>
    <message>
        <source>串口：COM1..COM8（与窗口中的对应相同）或设备路径，默认为 COM1。connect、write、verify 和 detect 可以给多个。</source>
        <translation>COM1..COM8, mapped as in the window, or a device path. Default COM1. connect, write, verify and detect take several.</translation>
    </message>
    <message>
        <source>read：把 JSON 写入 FILE，而不是标准输出。</source>
        <translation>read: write the JSON to FILE instead.</translation>
    </message>
    <message>
        <source>write、verify、encode：JSON 文档；- 表示标准输入。</source>
        <translation>write, verify, encode: the JSON document; - for standard input.</translation>
    </message>
    <message>
        <source>write：写完后校验转换器。</source>
        <translation>write: verify the converter afterwards.</translation>
    </message>
    <message>
        <source>没有给出命令</source>
        <translation>no command given</translation>
    </message>
    <message>
        <source>未知命令“%1”</source>
        <translation>unknown command &quot;%1&quot;</translation>
    </message>
    <message>
        <source>多余的参数“%1”</source>
        <translation>unexpected argument &quot;%1&quot;</translation>
    </message>
    <message>
        <source>diff 需要两个文档：diff A.json B.json</source>
        <translation>diff needs two documents: diff A.json B.json</translation>
    </message>
    <message>
        <source>未知型号“%1”：请用 A、B、X、0、1 或 2</source>
        <translation>unknown device &quot;%1&quot;: use A, B, X, 0, 1 or 2</translation>
    </message>
    <message>
        <source>未知串口“%1”：请用 COM1..COM8 或设备路径</source>
        <translation>unknown port &quot;%1&quot;: use COM1..COM8 or a device path</translation>
    </message>
    <message>
        <source>此命令需要 -i FILE（或用 -i - 表示标准输入）</source>
        <translation>this command needs -i FILE (or -i - for standard input)</translation>
    </message>
    <message>
        <source>-o FILE 只用于 read</source>
        <translation>-o FILE is for read only</translation>
    </message>
    <message>
        <source>--verify 只用于 write</source>
        <translation>--verify is for write only</translation>
    </message>
    <message>
        <source>只有 connect、write、verify 和 detect 可以给多个 -p</source>
        <translation>only connect, write, verify and detect take more than one -p</translation>
    </message>
    <message>
        <source>同一个串口给了两次</source>
        <translation>a port is given twice</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>列表键的取值：位置，或窗口的列表中显示的文字（如 &quot;115200&quot;、&quot;250K&quot;）；标有 X 的只用于 Ostrel-X。</source>
        <translation>Values of the list keys: the position, or the text the window&apos;s list shows there (e.g. &quot;115200&quot;, &quot;250K&quot;); those marked X are for the Ostrel-X only.</translation>
    </message>
    <message>
        <source>connect、write、verify、detect：每个串口在标准输出上输出一个 JSON 对象；timing：以 JSON 输出。</source>
        <translation>connect, write, verify, detect: one JSON object per port on standard output; timing: print JSON.</translation>
    </message>
    <message>
        <source>timing：想要的采样点（百分比），默认为 87.5。</source>
        <translation>timing: the sample point wanted, in percent. Default 87.5.</translation>
    </message>
    <message>
        <source>accepts：标识符属于扩展帧（大于 7FF 的总是）。</source>
        <translation>accepts: the identifier is an extended frame&apos;s (one above 7FF always is).</translation>
    </message>
    <message>
        <source>timing 需要一个波特率（如 250K）或寄存器值</source>
        <translation>timing needs a bit rate (such as 250K) or a register value</translation>
    </message>
    <message>
        <source>accepts 需要一个十六进制标识符，如 accepts 123</source>
        <translation>accepts needs a hexadecimal identifier, as in accepts 123</translation>
    </message>
    <message>
        <source>-i 只用于 write、verify、encode 和 accepts</source>
        <translation>-i is for write, verify, encode and accepts only</translation>
    </message>
    <message>
        <source>--json 只用于 connect、write、verify、detect 和 timing</source>
        <translation>--json is for connect, write, verify, detect and timing only</translation>
    </message>
    <message>
        <source>--sample-point 只用于 timing</source>
        <translation>--sample-point is for timing only</translation>
    </message>
    <message>
        <source>采样点“%1”不是 0 到 100 之间的百分比</source>
        <translation>sample point &quot;%1&quot; is no percentage between 0 and 100</translation>
    </message>
    <message>
        <source>--extended 只用于 accepts</source>
        <translation>--extended is for accepts only</translation>
    </message>
    <message>
        <source>或寄存器值</source>
        <translation>or a register value</translation>
    </message>
    <message>
        <source>不开窗口读写 Ostrel CAN/串口转换器的配置：帧、超时、重试次数和消息都与窗口相同。

命令：
  ports             列出 COM1..COM8 及各自对应的设备，然后列出系统报告的串口
  connect           打开串口并握手
  read [-o FILE]    读参数块和 CAN 配置块，以 JSON 输出配置
  write -i FILE|-   把 JSON 中的配置写入转换器（型号 X 随后写 CAN 配置块）；
                    --verify：写完后校验
  verify -i FILE|-  把转换器中的块与 write 将发送的块比较；每个不同的键输出一行
                    “键：应为 …，读到 …”
  diff A B          输出两个文档中取值不同的键
  defaults          以 JSON 输出该型号的出厂默认值
  encode -i FILE|-  不用串口，输出 write 将发送的帧
  detect [-p PORT]... 在每个串口上（默认：配置文件中指定的串口，然后是系统报告的
                    所有串口）同时尝试每种型号的握手，输出哪个型号在哪里应答
  timing RATE [--sample-point P]  为每个型号（或 -d 给出的型号）列出给出该波特率
                    和采样点的寄存器值，最好的在前（RATE 如 250K、83.333K、1M）
  timing -d X|A|B VALUE  说明寄存器值给出的波特率、采样点、SJW 和时间份额
                    （X：ArmCanBaud 的数值，或 0x 开头的十六进制；A、B：BTR0 BTR1，如 &quot;01 1C&quot;）
  accepts ID [-i FILE] [--extended]  转换器按文档（默认：出厂值）的配置是否接收该
                    十六进制标识符；接收时退出状态为 0，否则为 1
  profile-path      输出窗口的配置文件所在的位置（Windows 上为注册表项）

connect、write 和 verify 可以给多个 -p，同时为这些串口服务，每个串口输出一行
（--json：每个串口一个 JSON 对象）。

退出状态：0 成功，1 通信出错，2 用法错误或输入文件无效，3 串口不可用，
4 没有转换器应答，5 CAN ID 被拒绝，6 配置不同。有多个串口时，为第一个失败的串口的状态。
128 + N：被信号 N（SIGHUP、SIGINT、SIGQUIT、SIGTERM）结束，结束前已释放串口；
有多个串口时，先输出每个串口的状态。</source>
        <translation>Reads and writes the configuration of Ostrel CAN/serial converters without the window:
the same frames, time-outs, attempts and messages.

Commands:
  ports             list COM1..COM8 with the device each maps to, then the serial ports
                    the system reports
  connect           open the port and run the handshake
  read [-o FILE]    read the parameter block and the CAN configuration block, print the
                    configuration as JSON
  write -i FILE|-   write the configuration from JSON (device X: then the CAN
                    configuration block); --verify: then verify it
  verify -i FILE|-  compare the converter&apos;s blocks with those write would send; print
                    &quot;key: expected ... got ...&quot; for each key that differs
  diff A B          print the keys whose values differ between two documents
  defaults          print the model&apos;s factory defaults as JSON
  encode -i FILE|-  print, without any port, the frames that write would send
  detect [-p PORT]... try every model&apos;s handshake on each port (default: the slots
                    the profile names, then every serial port the system reports), all
                    ports at once, and print which model answers where
  timing RATE [--sample-point P]  list, for each model (or the one -d names), the
                    register values that give the rate and sample point, best first
                    (RATE as 250K, 83.333K, 1M)
  timing -d X|A|B VALUE  say what bit rate, sample point, SJW and time quanta a register
                    value gives (X: the ArmCanBaud number, or hexadecimal after 0x;
                    A, B: BTR0 BTR1 as &quot;01 1C&quot;)
  accepts ID [-i FILE] [--extended]  whether the converter configured by the document
                    (default: the factory values) takes the hexadecimal identifier;
                    exit status 0 when it does, 1 when not
  profile-path      print where the window keeps its profile (Windows: its registry key)

connect, write and verify take -p more than once and serve the ports at the same time,
printing one line per port (--json: one JSON object per port).

Exit status: 0 success, 1 communication error, 2 usage error or invalid input file,
3 port unavailable, 4 no converter answered, 5 CAN ID refused, 6 the configurations
differ. With several ports, that of the first port that failed.
128 + N: ended by signal N (SIGHUP, SIGINT, SIGQUIT, SIGTERM) after releasing the port;
with several ports, every port&apos;s state is printed first.</translation>
    </message>
    <message>
        <source>ports、connect、read、write、verify、defaults、encode、diff、detect、timing、accepts 或 profile-path。</source>
        <translation>ports, connect, read, write, verify, defaults, encode, diff, detect, timing, accepts or profile-path.</translation>
    </message>
    <message>
        <source>在标准错误上逐行输出经过串口的每一帧：时间、方向、命令、长度、校验和十六进制字节。</source>
        <translation>Print every frame that goes over the port on standard error, one line each: time, direction, command, length, check and the bytes in hexadecimal.</translation>
    </message>
    <message>
        <source>write、verify、encode、diff、accepts：照样接受文档中对该型号没有作用的键。</source>
        <translation>write, verify, encode, diff, accepts: take keys of the document that have no effect on the model all the same.</translation>
    </message>
</context>
<context>
    <name>CConfigCommands</name>
    <message numerus="yes">
        <source>写配置会用页面上的过滤表（%n 个条目）替换转换器中的过滤表。</source>
        <translation>
            <numerusform>Writing replaces the converter&apos;s filter table with the one on the page (%n entry).</numerusform>
            <numerusform>Writing replaces the converter&apos;s filter table with the one on the page (%n entries).</numerusform>
        </translation>
    </message>
    <message>
        <source>写配置会关闭转换器的滤波，并清空它的过滤表。</source>
        <translation>Writing switches the converter&apos;s filtering off and empties its filter table.</translation>
    </message>
    <message>
        <source>连接后还没有读过转换器的配置，页面上的 CAN 参数是上次记住的。</source>
        <translation>The converter&apos;s configuration has not been read since connecting; the CAN parameters on the page are the ones remembered from before.</translation>
    </message>
</context>
<context>
    <name>CConfigDocument</name>
    <message>
        <source>必须是 %1 到 %2 之间的整数</source>
        <translation>must be an integer from %1 to %2</translation>
    </message>
    <message>
        <source>必须是至多 %1 个十六进制字节，每个一或两位数字，以空格分隔</source>
        <translation>must be at most %1 hexadecimal byte(s) of one or two digits, separated by blanks</translation>
    </message>
    <message>
        <source>必须是文本</source>
        <translation>must be a text</translation>
    </message>
    <message>
        <source>必须是含两个文本的数组</source>
        <translation>must be an array of two texts</translation>
    </message>
    <message>
        <source>必须是 true 或 false</source>
        <translation>must be true or false</translation>
    </message>
    <message>
        <source>必须是含有 &quot;kind&quot;、&quot;start&quot; 和 &quot;end&quot; 的对象</source>
        <translation>must be an object with &quot;kind&quot;, &quot;start&quot; and &quot;end&quot;</translation>
    </message>
    <message>
        <source>未知的键 </source>
        <translation>unknown key </translation>
    </message>
    <message>
        <source>必须是 &quot;0x&quot; 加 1 到 8 位十六进制数字</source>
        <translation>must be &quot;0x&quot; and 1 to 8 hexadecimal digits</translation>
    </message>
    <message>
        <source>单个标识符时必须等于 &quot;start&quot;</source>
        <translation>must equal &quot;start&quot; for a single identifier</translation>
    </message>
    <message>
        <source>必须是数组</source>
        <translation>must be an array</translation>
    </message>
    <message>
        <source>必须是 &quot;%1&quot;</source>
        <translation>must be &quot;%1&quot;</translation>
    </message>
    <message>
        <source>在同一个对象中出现了不止一次</source>
        <translation>appears more than once in one object</translation>
    </message>
    <message>
        <source>范围时必须大于 &quot;start&quot;</source>
        <translation>must be above &quot;start&quot; for a range</translation>
    </message>
    <message>
        <source>%1，位于第 %2 字节</source>
        <translation>%1 at offset %2</translation>
    </message>
    <message>
        <source>文档必须是一个 JSON 对象</source>
        <translation>the document must be one JSON object</translation>
    </message>
    <message>
        <source>最多 %1 项：转换器的过滤表放不下更多，这里有 %2 项</source>
        <translation>may hold at most %1 entries, as many as the converter&apos;s filter table can take; this one has %2</translation>
    </message>
    <message>
        <source>必须是 %1 到 %2 之间的整数，或以下之一：%3</source>
        <translation>must be an integer from %1 to %2, or one of: %3</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>是 %1（%2），但给出的型号是 %3</source>
        <translation>is %1 (%2), but the device given is %3</translation>
    </message>
    <message>
        <source>需要过滤表的 %1 字节，但过滤表只有 %2 字节</source>
        <translation>needs %1 bytes of the filter table, but the table holds only %2 bytes</translation>
    </message>
    <message>
        <source>对 %1 没有作用：%1 的页面上没有它</source>
        <translation>has no effect on the %1: its pages do not show it</translation>
    </message>
    <message>
        <source>对 %1 没有作用：%1 用的是 %2</source>
        <translation>has no effect on the %1, which uses %2</translation>
    </message>
</context>
<context>
    <name>CConfigFile</name>
    <message>
        <source>无法读取“%1”：%2</source>
        <translation>cannot read &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>无法写入“%1”：%2</source>
        <translation>cannot write &quot;%1&quot;: %2</translation>
    </message>
</context>
<context>
    <name>CConfigVerification</name>
    <message>
        <source>%1长度</source>
        <translation>%1 size</translation>
    </message>
    <message>
        <source>%1第 %2 字节</source>
        <translation>%1 byte %2</translation>
    </message>
    <message>
        <source>参数块</source>
        <translation>parameter block</translation>
    </message>
    <message>
        <source>CAN 配置块</source>
        <translation>CAN configuration block</translation>
    </message>
    <message>
        <source>%1：应为 %2，读到 %3</source>
        <translation>%1: expected %2 got %3</translation>
    </message>
</context>
<context>
    <name>CDocumentDiff</name>
    <message>
        <source>无法写入标准输出</source>
        <translation>cannot write to standard output</translation>
    </message>
    <message>
        <source>：</source>
        <translation>: </translation>
    </message>
</context>
<context>
    <name>CDocumentInput</name>
    <message>
        <source>大于 %1 MiB，配置文档不会这么大</source>
        <translation>larger than %1 MiB, no configuration document is that large</translation>
    </message>
    <message>
        <source>既不是普通文件也不是管道</source>
        <translation>neither a regular file nor a pipe</translation>
    </message>
    <message>
        <source>没有程序向这个管道写入</source>
        <translation>nobody writes to this pipe</translation>
    </message>
    <message>
        <source>管道在 %1 毫秒内没有结束</source>
        <translation>the pipe did not end within %1 ms</translation>
    </message>
</context>
<context>
    <name>CExchangeDialog</name>
    <message>
        <source>配置</source>
        <translation>Configuration</translation>
    </message>
    <message>
        <source>已收到 %1 / %2 字节</source>
        <translation>%1 of %2 bytes received</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CFilterTestPanel</name>
    <message>
        <source>试验标识符(&amp;Y): 0x</source>
        <translation>Te&amp;st identifier: 0x</translation>
    </message>
    <message>
        <source>123</source>
        <translation>123</translation>
    </message>
    <message>
        <source>扩展帧(&amp;X)</source>
        <translation>E&amp;xtended frame</translation>
    </message>
    <message>
        <source>不是标识符：请输入最大为 1FFFFFFF 的十六进制数</source>
        <translation>Not an identifier: type a hexadecimal number up to 1FFFFFFF</translation>
    </message>
</context>
<context>
    <name>CFilterTester</name>
    <message>
        <source>接收：验收码与标识符在屏蔽码比较的每一位上相同</source>
        <translation>Accepted: the acceptance code matches the identifier in every bit the mask compares</translation>
    </message>
    <message>
        <source>不接收：%1 与验收码不同</source>
        <translation>Not accepted: %1 differ from the acceptance code</translation>
    </message>
    <message>
        <source>接收：第 %1 个滤波器</source>
        <translation>Accepted: by filter %1</translation>
    </message>
    <message>
        <source>第 %1 个滤波器的 %2 不同</source>
        <translation>filter %1 differs in %2</translation>
    </message>
    <message>
        <source>不接收：%1</source>
        <translation>Not accepted: %1</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>（双滤波只比较扩展帧的 ID.28–ID.13）</source>
        <translation> (dual filter compares ID.28-ID.13 of an extended frame only)</translation>
    </message>
    <message>
        <source>接收：未使能滤波，转换器接收所有帧</source>
        <translation>Accepted: filtering is off, the converter takes every frame</translation>
    </message>
    <message>
        <source>接收：%1</source>
        <translation>Accepted: %1</translation>
    </message>
    <message>
        <source>不接收：过滤表中没有包含它的条目（有些条目超出了 2048 字节，不会写入）</source>
        <translation>Not accepted: no entry of the filter table holds it (some entries lie beyond the 2048 bytes and are not written)</translation>
    </message>
    <message>
        <source>不接收：过滤表中没有包含它的条目</source>
        <translation>Not accepted: no entry of the filter table holds it</translation>
    </message>
</context>
<context>
    <name>CFrameLogDialog</name>
    <message>
        <source>帧记录</source>
        <translation>Frame Log</translation>
    </message>
    <message>
        <source>还没有帧：先连接设备。</source>
        <translation>No frames yet: connect first.</translation>
    </message>
    <message>
        <source>保存(&amp;S)…</source>
        <translation>&amp;Save…</translation>
    </message>
    <message>
        <source>保存帧记录</source>
        <translation>Save the Frame Log</translation>
    </message>
    <message>
        <source>文本文件 (*.txt);;所有文件 (*)</source>
        <translation>Text files (*.txt);;All files (*)</translation>
    </message>
    <message>
        <source>无法写入“%1”</source>
        <translation>Cannot write &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>CKelvaneApp</name>
    <message>
        <source>kelvane：需要图形界面（无法连接到显示）。没有图形界面时请使用命令行工具 kelvane-cli（见 kelvane-cli --help）。</source>
        <translation>kelvane: needs a graphical session (no display can be reached). Without one, use the command line tool kelvane-cli (see kelvane-cli --help).</translation>
    </message>
    <message>
        <source>用法：kelvane [选项]
配置 Ostrel CAN 总线/串口协议转换器：选择型号和串口，连接，把转换器的参数读到各个
标签页上，修改后写回。最后读出或写入的值保存在每个用户的配置文件中。

选项：
  -h, --help     显示命令行选项的帮助。
  -v, --version  显示版本信息。

也接受 Qt 的标准选项，例如 -platform NAME 或 -style NAME。
没有图形界面时以状态 1 退出；kelvane-cli 可在那里完成同样的工作。
</source>
        <translation>Usage: kelvane [options]
Configures Ostrel CAN-bus/serial protocol converters: pick the model and the serial
port, connect, read the converter&apos;s parameters onto tabbed pages, edit them and write
them back. The last values read or written are kept in the per-user profile.

Options:
  -h, --help     Displays help on commandline options.
  -v, --version  Displays version information.

Qt&apos;s standard options, such as -platform NAME or -style NAME, are also accepted.
Without a graphical session it exits with status 1; kelvane-cli does the same work there.
</translation>
    </message>
</context>
<context>
    <name>CKelvaneCli</name>
    <message>
        <source>无法写入标准输出</source>
        <translation>cannot write to standard output</translation>
    </message>
    <message>
        <source>“%1”是前面已给出的串口</source>
        <translation>&quot;%1&quot; names a port given before</translation>
    </message>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>cannot read %1: %2</translation>
    </message>
    <message>
        <source>标准输入</source>
        <translation>standard input</translation>
    </message>
    <message>
        <source>无法写入“%1”：%2</source>
        <translation>cannot write &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>%1（见 --help）</source>
        <translation>%1 (see --help)</translation>
    </message>
    <message>
        <source>：</source>
        <translation>: </translation>
    </message>
    <message>
        <source>“%1”不是 CAN 标识符：请给出最大为 1FFFFFFF 的十六进制数</source>
        <translation>&quot;%1&quot; is no CAN identifier: give a hexadecimal number up to 1FFFFFFF</translation>
    </message>
    <message>
        <source>（--force 照样接受）</source>
        <translation> (--force takes it all the same)</translation>
    </message>
</context>
<context>
    <name>CKelvaneDlg</name>
    <message>
        <source>设备(&amp;T):</source>
        <translation>Device &amp;type:</translation>
    </message>
    <message>
        <source>串口号(&amp;P):</source>
        <translation>Serial &amp;port:</translation>
    </message>
    <message>
        <source>指定这个串口号连接的设备</source>
        <translation>Choose the device this port leads to</translation>
    </message>
    <message>
        <source>连接设备(&amp;C)</source>
        <translation>&amp;Connect</translation>
    </message>
    <message>
        <source>断开设备(&amp;C)</source>
        <translation>Dis&amp;connect</translation>
    </message>
    <message>
        <source>CAN 总线 / 串口协议转换器配置工具</source>
        <translation>CAN / serial converter setup</translation>
    </message>
    <message>
        <source>没有这个设备：适配器未插入，或用“…”指定另一个设备。</source>
        <translation>No such device: the adapter is not plugged in; or use &quot;…&quot; to name another device.</translation>
    </message>
    <message>
        <source>系统没有报告这里有串口（没有相应的硬件）。用“…”指定另一个设备。</source>
        <translation>The system reports no serial port here (no hardware behind it). Use &quot;…&quot; to name another device.</translation>
    </message>
</context>
<context>
    <name>CKelvaneSheet</name>
    <message>
        <source>Ostrel-X配置工具V1.01</source>
        <translation>Ostrel-X Configuration Tool V1.01</translation>
    </message>
    <message>
        <source>导出(&amp;E)…</source>
        <translation>&amp;Export…</translation>
    </message>
    <message>
        <source>导入(&amp;O)…</source>
        <translation>Imp&amp;ort…</translation>
    </message>
    <message>
        <source>默认值(&amp;D)</source>
        <translation>&amp;Defaults</translation>
    </message>
    <message>
        <source>读配置(&amp;R)</source>
        <translation>&amp;Read</translation>
    </message>
    <message>
        <source>写配置(&amp;W)</source>
        <translation>&amp;Write</translation>
    </message>
    <message>
        <source>CAN参数</source>
        <translation>CAN</translation>
    </message>
    <message>
        <source>转换参数</source>
        <translation>Conversion</translation>
    </message>
    <message>
        <source>串口参数</source>
        <translation>Serial Port</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>正在导入…</source>
        <translation>Importing…</translation>
    </message>
    <message>
        <source>批量配置(&amp;B)…</source>
        <translation>&amp;Batch…</translation>
    </message>
    <message>
        <source>校验(&amp;V)</source>
        <translation>&amp;Verify</translation>
    </message>
    <message>
        <source>校验</source>
        <translation>Verify</translation>
    </message>
    <message>
        <source>页面上的值与转换器中的一致</source>
        <translation>The values on the pages are those the converter holds</translation>
    </message>
    <message numerus="yes">
        <source>有 %n 个字段与转换器中的不同</source>
        <translation>
            <numerusform>%n field differs from the converter</numerusform>
            <numerusform>%n fields differ from the converter</numerusform>
        </translation>
    </message>
    <message>
        <source>JSON 文档 (*.json);;所有文件 (*)</source>
        <translation>JSON documents (*.json);;All files (*)</translation>
    </message>
    <message>
        <source>已从 %1 导入</source>
        <translation>Imported from %1</translation>
    </message>
    <message>
        <source>已导出到 %1</source>
        <translation>Exported to %1</translation>
    </message>
    <message>
        <source>改用 %1 连接</source>
        <translation>Connect as %1 instead</translation>
    </message>
</context>
<context>
    <name>COutputFile</name>
    <message>
        <source>没有程序从这个管道读取</source>
        <translation>nobody reads from this pipe</translation>
    </message>
    <message>
        <source>读取方 %1 秒内没有再接收数据</source>
        <translation>the reader took no more for %1 s</translation>
    </message>
    <message>
        <source>是一个文件夹</source>
        <translation>is a folder</translation>
    </message>
</context>
<context>
    <name>CPageArmCfgCan</name>
    <message>
        <source>CAN参数</source>
        <translation>CAN</translation>
    </message>
    <message>
        <source>初始化参数</source>
        <translation>Initialisation</translation>
    </message>
    <message>
        <source>波特率:</source>
        <translation>Baud rate:</translation>
    </message>
    <message>
        <source>寄存器:0x</source>
        <translation>Register: 0x</translation>
    </message>
    <message>
        <source>帧类型:</source>
        <translation>Frame type:</translation>
    </message>
    <message>
        <source>标准帧</source>
        <translation>Standard frame</translation>
    </message>
    <message>
        <source>扩展帧</source>
        <translation>Extended frame</translation>
    </message>
    <message>
        <source>滤波参数</source>
        <translation>Filtering</translation>
    </message>
    <message>
        <source>使能滤波</source>
        <translation>Enable filtering</translation>
    </message>
    <message>
        <source>滤波类型</source>
        <translation>Filter type</translation>
    </message>
    <message>
        <source>起始ID</source>
        <translation>Start ID</translation>
    </message>
    <message>
        <source>结束ID</source>
        <translation>End ID</translation>
    </message>
    <message>
        <source>模式</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>起始帧ID: 0x</source>
        <translation>Start ID: 0x</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>结束帧ID: 0x</source>
        <translation>End ID: 0x</translation>
    </message>
    <message>
        <source>起始ID必须小于结束ID！</source>
        <translation>The start ID must be below the end ID!</translation>
    </message>
    <message>
        <source>没有选择删除条目</source>
        <translation>No entry is selected for deletion</translation>
    </message>
    <message>
        <source>过滤表已用 %1 / %2 字节</source>
        <translation>Filter table: %1 of %2 bytes used</translation>
    </message>
    <message>
        <source>过滤表放不下这个条目：已用 %1 / %2 字节，没有添加。</source>
        <translation>The filter table has no room for this entry: %1 of %2 bytes are used. It was not added.</translation>
    </message>
</context>
<context>
    <name>CPortAssignDialog</name>
    <message>
        <source>指定串口</source>
        <translation>Assign Serial Port</translation>
    </message>
    <message>
        <source>%1 连接到(&amp;D):</source>
        <translation>&amp;Device for %1:</translation>
    </message>
    <message>
        <source>设备路径(&amp;A):</source>
        <translation>P&amp;ath:</translation>
    </message>
    <message>
        <source>空：自动选择</source>
        <translation>Empty: chosen automatically</translation>
    </message>
</context>
<context>
    <name>CPortTask</name>
    <message>
        <source>校验</source>
        <translation>verify</translation>
    </message>
    <message>
        <source>转换器中的配置与文档一致</source>
        <translation>the converter holds the document</translation>
    </message>
    <message>
        <source>有 1 个键不同</source>
        <translation>1 key differs</translation>
    </message>
    <message>
        <source>有 %1 个键不同</source>
        <translation>%1 keys differ</translation>
    </message>
    <message>
        <source>校验已取消！</source>
        <translation>Verify cancelled!</translation>
    </message>
</context>
<context>
    <name>CProfile</name>
    <message>
        <source>配置文件 %1 大于 %2 KiB，不是本工具写的：本次使用默认值，也不会改写该文件。</source>
        <translation>The profile %1 is larger than %2 KiB, so this tool did not write it: the defaults are used this time, and the file will not be rewritten.</translation>
    </message>
    <message>
        <source>配置文件 %1 含有不是 UTF-8 的字节，本工具无法原样保存：本次不会改写该文件。</source>
        <translation>The profile %1 holds bytes that are not UTF-8, which this tool cannot save as they are: the file will not be rewritten this time.</translation>
    </message>
</context>
<context>
    <name>CSerialPage</name>
    <message>
        <source>串口参数</source>
        <translation>Serial Port</translation>
    </message>
    <message>
        <source>常规参数</source>
        <translation>General</translation>
    </message>
    <message>
        <source>波特率(&amp;U):</source>
        <translation>Ba&amp;ud rate:</translation>
    </message>
    <message>
        <source>无校验</source>
        <translation>None</translation>
    </message>
    <message>
        <source>奇校验</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>偶校验</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>强制为0</source>
        <translation>Space (0)</translation>
    </message>
    <message>
        <source>强制为1</source>
        <translation>Mark (1)</translation>
    </message>
    <message>
        <source>停止位(&amp;S):</source>
        <translation>&amp;Stop bits:</translation>
    </message>
    <message>
        <source>流控制(&amp;F):</source>
        <translation>&amp;Flow control:</translation>
    </message>
    <message>
        <source>硬件</source>
        <translation>Hardware</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>模式</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>模式切换(&amp;M):</source>
        <translation>Line &amp;mode:</translation>
    </message>
    <message>
        <source>RS232模式</source>
        <translation>RS-232</translation>
    </message>
    <message>
        <source>RS485模式</source>
        <translation>RS-485</translation>
    </message>
    <message>
        <source>RS-422模式</source>
        <translation>RS-422</translation>
    </message>
    <message>
        <source>数据位(&amp;B):</source>
        <translation>Data &amp;bits:</translation>
    </message>
    <message>
        <source>奇偶校验(&amp;Y):</source>
        <translation>Parit&amp;y:</translation>
    </message>
</context>
<context>
    <name>CTimingCommand</name>
    <message>
        <source>“%1”不是波特率：请写成 250K、83.333K 或 1M</source>
        <translation>&quot;%1&quot; is no bit rate: write it as 250K, 83.333K or 1M</translation>
    </message>
    <message>
        <source>没有寄存器值能在 0.5% 以内给出这个波特率</source>
        <translation>no register value gives this bit rate within 0.5%</translation>
    </message>
    <message>
        <source>“%1”既不是波特率（如 250K）也不是寄存器值（如 3850245 或 0x3ac005）</source>
        <translation>&quot;%1&quot; is neither a bit rate (such as 250K) nor a register value (such as 3850245 or 0x3ac005)</translation>
    </message>
    <message>
        <source>“%1”不是 BTR0 BTR1 两个十六进制字节（如 &quot;01 1C&quot;）</source>
        <translation>&quot;%1&quot; is not BTR0 BTR1 as two hexadecimal bytes (such as &quot;01 1C&quot;)</translation>
    </message>
    <message>
        <source>警告：%1</source>
        <translation>Warning: %1</translation>
    </message>
    <message>
        <source>无法写入标准输出</source>
        <translation>cannot write to standard output</translation>
    </message>
</context>
<context>
    <name>CTranPage</name>
    <message>
        <source>转换参数</source>
        <translation>Conversion</translation>
    </message>
    <message>
        <source>常规</source>
        <translation>General</translation>
    </message>
    <message>
        <source>转换模式(&amp;M):</source>
        <translation>Conversion &amp;mode:</translation>
    </message>
    <message>
        <source>透明转换</source>
        <translation>Transparent</translation>
    </message>
    <message>
        <source>透明带标识转换</source>
        <translation>Transparent with identifier</translation>
    </message>
    <message>
        <source>MODBUS转换</source>
        <translation>MODBUS</translation>
    </message>
    <message>
        <source>转换方向(&amp;I):</source>
        <translation>D&amp;irection:</translation>
    </message>
    <message>
        <source>双向</source>
        <translation>Both ways</translation>
    </message>
    <message>
        <source>仅 串口 → CAN</source>
        <translation>Serial → CAN only</translation>
    </message>
    <message>
        <source>仅 串口 ← CAN</source>
        <translation>Serial ← CAN only</translation>
    </message>
    <message>
        <source>转换</source>
        <translation>Conversion</translation>
    </message>
    <message>
        <source>允许CAN帧信息转发到串行帧中</source>
        <translation>Forward the CAN frame information in serial frames</translation>
    </message>
    <message>
        <source>允许CAN帧ID转发到串行帧中</source>
        <translation>Forward the CAN frame ID in serial frames</translation>
    </message>
    <message>
        <source>CAN标识符在串行帧中的位置:</source>
        <translation>Place of the CAN identifier in the serial frame:</translation>
    </message>
    <message>
        <source>起始偏移:</source>
        <translation>Offset:</translation>
    </message>
    <message>
        <source>长度:</source>
        <translation>Length:</translation>
    </message>
    <message>
        <source>串行帧之间的时间间隔为每隔</source>
        <translation>Time between serial frames:</translation>
    </message>
    <message>
        <source>个字符的时间</source>
        <translation>character times</translation>
    </message>
    <message>
        <source>格式转换</source>
        <translation>Formatted</translation>
    </message>
</context>
<context>
    <name>CanIdCheck</name>
    <message>
        <source>标准帧不能大于000007FF，如果大于则会被默认为000007FF！</source>
        <translation>A standard frame ID cannot be above 000007FF; a larger one becomes 000007FF!</translation>
    </message>
    <message>
        <source>CAN ID长度错误，必须为8位十六进制数！</source>
        <translation>Wrong CAN ID length: it must be 8 hexadecimal digits!</translation>
    </message>
    <message>
        <source>CAN ID格式错误，输入必须为0~F！</source>
        <translation>Wrong CAN ID format: only 0 to F may be entered!</translation>
    </message>
    <message>
        <source>扩展帧不能大于1FFFFFFF，如果大于则会被默认为1FFFFFFF！</source>
        <translation>An extended frame ID cannot be above 1FFFFFFF; a larger one becomes 1FFFFFFF!</translation>
    </message>
</context>
<context>
    <name>FilterKinds</name>
    <message>
        <source>标准帧单ID滤波</source>
        <translation>Standard single ID</translation>
    </message>
    <message>
        <source>标准帧组ID滤波</source>
        <translation>Standard ID range</translation>
    </message>
    <message>
        <source>扩展帧单ID滤波</source>
        <translation>Extended single ID</translation>
    </message>
    <message>
        <source>扩展帧组ID滤波</source>
        <translation>Extended ID range</translation>
    </message>
</context>
<context>
    <name>FlowMessages</name>
    <message>
        <source>配置</source>
        <translation>Configuration</translation>
    </message>
    <message>
        <source>当前串口不可用！</source>
        <translation>The serial port is not available!</translation>
    </message>
    <message>
        <source>设备未连接！</source>
        <translation>The device is not connected!</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>设备已断开！</source>
        <translation>The device was disconnected!</translation>
    </message>
    <message>
        <source>串口设置没有保存！</source>
        <translation>The port setting was not saved!</translation>
    </message>
    <message>
        <source>读配置成功！</source>
        <translation>Configuration read!</translation>
    </message>
    <message>
        <source>写配置成功！</source>
        <translation>Configuration written!</translation>
    </message>
    <message>
        <source>通信出错！</source>
        <translation>Communication error!</translation>
    </message>
    <message>
        <source>连接已取消！</source>
        <translation>Connecting was cancelled!</translation>
    </message>
    <message>
        <source>读配置已取消！</source>
        <translation>Reading the configuration was cancelled!</translation>
    </message>
    <message>
        <source>写配置已取消！</source>
        <translation>Writing the configuration was cancelled!</translation>
    </message>
    <message>
        <source>转换器可能已保存了部分新配置，请重新写配置。</source>
        <translation>The converter may now hold part of the new configuration. Write the configuration again.</translation>
    </message>
    <message>
        <source>连接设备…</source>
        <translation>Connecting…</translation>
    </message>
    <message>
        <source>读配置…</source>
        <translation>Reading the configuration…</translation>
    </message>
    <message>
        <source>写配置…</source>
        <translation>Writing the configuration…</translation>
    </message>
    <message>
        <source>这些值没有被记住，下次启动时不会显示！</source>
        <translation>These values were not remembered: the next start will not show them!</translation>
    </message>
    <message>
        <source>校验…</source>
        <translation>Verifying…</translation>
    </message>
</context>
<context>
    <name>FrameLogText</name>
    <message>
        <source>被截断：%1/%2 字节</source>
        <translation>cut off: %1/%2 bytes</translation>
    </message>
    <message>
        <source>太慢：时限到时只收到 %1/%2 字节</source>
        <translation>too slow: %1/%2 bytes when the time ran out</translation>
    </message>
    <message>
        <source>校验字节错误</source>
        <translation>wrong check byte</translation>
    </message>
    <message>
        <source>不是所要的应答（其他命令或其他型号的）</source>
        <translation>not the reply asked for (another command&apos;s or another model&apos;s)</translation>
    </message>
    <message>
        <source>没有应答</source>
        <translation>no reply</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>sent</translation>
    </message>
    <message>
        <source>接收</source>
        <translation>received</translation>
    </message>
    <message>
        <source>%1 字节</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>校验正确</source>
        <translation>check ok</translation>
    </message>
    <message>
        <source>校验错误</source>
        <translation>check wrong</translation>
    </message>
    <message>
        <source>之前跳过 %1 字节</source>
        <translation>%1 bytes passed over before it</translation>
    </message>
</context>
<context>
    <name>PortDiagnosis</name>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>没有权限打开 %1。</source>
        <translation>No permission to open %1.</translation>
    </message>
    <message>
        <source>没有权限打开 %1：它属于用户组 %2。把当前用户加入该组：
sudo usermod -aG %2 $USER
然后重新登录。</source>
        <translation>No permission to open %1: it belongs to the group %2. Add your user to that group:
sudo usermod -aG %2 $USER
then log in again.</translation>
    </message>
    <message>
        <source>%1 正被另一个程序占用。关闭该程序后再连接。</source>
        <translation>%1 is in use by another program. Close that program, then connect again.</translation>
    </message>
    <message>
        <source>没有设备 %1，系统也没有报告任何串口。</source>
        <translation>There is no device %1, and the system reports no serial port.</translation>
    </message>
    <message>
        <source>没有设备 %1。现有的串口：%2。</source>
        <translation>There is no device %1. Serial ports present: %2.</translation>
    </message>
    <message>
        <source>（无）</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1 已打开，但没有 %2 应答。请检查所选的型号和串口，以及转换器的电源和接线。</source>
        <translation>%1 opened, but no %2 answered. Check the chosen model and port, and the converter&apos;s power and wiring.</translation>
    </message>
    <message>
        <source>%1 已不可用：适配器被拔出，或线路的另一端已关闭。重新接好后再连接。</source>
        <translation>%1 is gone: the adapter was unplugged, or the other end of the line closed. Connect again once it is back.</translation>
    </message>
    <message>
        <source>%1（进程 %2）</source>
        <translation>%1 (process %2)</translation>
    </message>
    <message>
        <source>%1 上没有 %2 应答。应答的是 %3：请选择该型号。</source>
        <translation>No %2 answers on %1. The one answering is %3: choose that model.</translation>
    </message>
    <message>
        <source>%1 还被其他程序打开，它们可能读走了应答：%2。关闭它们后再连接。</source>
        <translation>%1 is also open in other programs, which may take the replies away: %2. Close them, then connect again.</translation>
    </message>
    <message>
        <source>适配器已断开：串口在通信中消失了。</source>
        <translation>The adapter is gone: the serial port vanished during the exchange.</translation>
    </message>
    <message>
        <source>转换器没有应答。</source>
        <translation>The converter did not reply.</translation>
    </message>
    <message>
        <source>应答在第 %1 字节后中断（应有 %2 字节）。</source>
        <translation>The reply stopped after %1 of %2 bytes.</translation>
    </message>
    <message>
        <source>应答的校验字节错误。</source>
        <translation>The reply&apos;s check byte is wrong.</translation>
    </message>
    <message>
        <source>收到的不是所请求的应答。</source>
        <translation>What arrived is not the reply asked for.</translation>
    </message>
    <message>
        <source>%1 正被另一个程序占用：%2。关闭该程序后再连接。</source>
        <translation>%1 is in use by another program: %2. Close that program, then connect again.</translation>
    </message>
    <message>
        <source>没有权限打开 %1：它只属于管理员（root），不是串口用户组的设备。请检查所选的串口；确实要用它时，请管理员把它交给 dialout 用户组。</source>
        <translation>No permission to open %1: it belongs to the administrator (root), not to a serial port group. Check the chosen port; if it really is the one, ask the administrator to give it to the dialout group.</translation>
    </message>
    <message>
        <source>%1 已打开，但 %2 都没有应答。请检查转换器的电源和接线，以及所选的串口。</source>
        <translation>%1 opened, but none of %2 answered. Check the converter&apos;s power and wiring, and the chosen port.</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>%1 正被另一个程序占用，但未能及时查明是哪个程序。关闭该程序后再连接。</source>
        <translation>%1 is in use by another program, which could not be identified in time. Close that program, then connect again.</translation>
    </message>
    <message>
        <source>未能及时查明 %1 是否还被其他程序打开。</source>
        <translation>Could not tell in time whether other programs also have %1 open.</translation>
    </message>
    <message>
        <source>系统拒绝打开 %1：它多半正被另一个程序占用。关闭该程序后再连接；没有程序占用它时，请管理员检查这个串口的权限。</source>
        <translation>The system refused to open %1: most likely another program is using it. Close that program and connect again; if no program is using it, ask an administrator to check the permissions on this port.</translation>
    </message>
    <message>
        <source>%1 的设备不工作或已被拔出。重新插好适配器后再连接。</source>
        <translation>The device of %1 is not working or has been removed. Plug the adapter in again, then connect again.</translation>
    </message>
    <message>
        <source>系统的说明：%1</source>
        <translation>The system says: %1</translation>
    </message>
    <message>
        <source>转换器应答太慢：在允许的 %1 毫秒内只收到 %2 字节（应有 %3 字节），应答仍在传送。请检查接线和适配器，是否有其他程序在使用该串口，以及转换器是否正忙于大量总线数据。</source>
        <translation>The converter answered too slowly: in the %1 ms allowed only %2 of %3 bytes arrived, and the reply was still coming. Check the cable and the adapter, whether another program uses the port, and whether the converter is busy with heavy bus traffic.</translation>
    </message>
    <message>
        <source>%1 还被其他程序打开，它们可能读走了应答：%2。关闭它们后再试。</source>
        <translation>%1 is also open in other programs, which may have taken the reply: %2. Close them and try again.</translation>
    </message>
    <message>
        <source>%1 没有打开：本程序能同时打开的文件数已用完（系统的上限），其他串口不受影响。请一次少服务一些串口，或提高打开文件数的上限（ulimit -n）。</source>
        <translation>%1 was not opened: this program has used up the files the system lets it open at once; the other ports are not affected. Serve fewer ports at a time, or raise the limit on open files (ulimit -n).</translation>
    </message>
</context>
<context>
    <name>PortNames</name>
    <message>
        <source>%1 不再在 %2 中</source>
        <translation>%1 is no longer among the slots (it was %2)</translation>
    </message>
    <message>
        <source>%1 从 %2 移到了 %3</source>
        <translation>%1 moved from %2 to %3</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
</context>
<context>
    <name>PortOutcome</name>
    <message>
        <source>成功</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>跳过</source>
        <translation>Skipped</translation>
    </message>
    <message>
        <source>已取消</source>
        <translation>Cancelled</translation>
    </message>
    <message>
        <source>已中断</source>
        <translation>Interrupted</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
</context>
<context>
    <name>SafeSettingsSync</name>
    <message>
        <source>%1 不是普通文件。</source>
        <translation>%1 is not a regular file.</translation>
    </message>
    <message>
        <source>无法写入 %1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>无法创建文件夹 %1</source>
        <translation>cannot create the folder %1</translation>
    </message>
    <message>
        <source>写入中断（磁盘已满？）</source>
        <translation>the write was cut short (disk full?)</translation>
    </message>
    <message>
        <source>保存后的 %1 会大于 %2 KiB，下次启动将无法读取，所以没有保存。</source>
        <translation>Saved, %1 would be larger than %2 KiB and could not be read at the next start, so it was not saved.</translation>
    </message>
    <message>
        <source>写入的内容读回时不一致</source>
        <translation>what was written did not read back the same</translation>
    </message>
    <message>
        <source>无法写入 %1。</source>
        <translation>Cannot write %1.</translation>
    </message>
</context>
</TS>
