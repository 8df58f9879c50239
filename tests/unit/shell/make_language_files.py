#!/usr/bin/env python3
"""Writes the language files shipped in dist/Lan/:

  Language.bin              the language index (English selected)
  English.lan               every key with its English text, so that a switch
                            back to English restores every text
  Português (Brasil).lan    Brazilian Portuguese

All in code page 1252 with CR LF line ends. The keys are read from
src/shell/uitext.cpp; the script stops when a key has no translation or a
translation names no key. Run from anywhere: python3 make_language_files.py
"""
import os
import re
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..', '..'))
LAN = os.path.join(ROOT, 'dist', 'Lan')
PORTUGUESE = 'Português (Brasil)'

PT = {
    'Clear Memory': 'Apagar memória',
    'Exit': 'Sair',
    'Com Port': 'Porta COM',
    'Auto Scan': 'Busca automática',
    'Reset Com Port': 'Reiniciar porta COM',
    'OK': 'OK',
    'Device Manager': 'Gerenciador de dispositivos',
    'Device': 'Dispositivo',
    'Set': 'Aplicar',
    'Meter 1': 'Dosímetro 1',
    'Meter 2': 'Dosímetro 2',
    'Meter 3': 'Dosímetro 3',
    'Enabled': 'Habilitado',
    'Standard': 'Norma',
    'Time Weighted': 'Ponderação temporal',
    'Threshold': 'Limiar',
    'Criterion': 'Nível de critério',
    'Exchange Rate': 'Taxa de troca',
    'Exceedance': 'Excedência',
    'PW Duration': 'Duração PW',
    'Kalvox': 'Kalvox',
    'Memory Erasing ...': 'Apagando a memória ...',
    'Set Error : D1 Standard = D2Standard !!!': 'Erro de configuração: norma D1 = norma D2 !!!',
    'Set Error : D1 Standard = D3Standard !!!': 'Erro de configuração: norma D1 = norma D3 !!!',
    'Error Meter 1 Criterion < Threshold !!!': 'Erro no dosímetro 1: nível de critério < limiar !!!',
    'Error Meter 2 Criterion < Threshold !!!': 'Erro no dosímetro 2: nível de critério < limiar !!!',
    'Error Meter 3 Criterion < Threshold !!!': 'Erro no dosímetro 3: nível de critério < limiar !!!',
    'Set Error : D2 Standard = D3 Standard': 'Erro de configuração: norma D2 = norma D3',
    'Set Error : D1 PWDuration <10 Min': 'Erro de configuração: duração PW do D1 < 10 min',
    'Set Error : D2 PWDuration <10 Min': 'Erro de configuração: duração PW do D2 < 10 min',
    'Set Error : D3 PWDuration <10 Min': 'Erro de configuração: duração PW do D3 < 10 min',
    'Help': 'Ajuda',
    'Manual English': 'Manual em inglês',
    'Language': 'Idioma',
    'LED Alarm': 'Alarme LED',
    'Lower Limit': 'Limite inferior',
    'Upper Limit': 'Limite superior',
    'LAS': 'LAS',
    'LAEQ': 'LAEQ',
    'LCPK': 'LCPK',
    'LZPK': 'LZPK',
    'LAVG': 'LAVG',
    'TWA': 'TWA',
    'PTWA': 'PTWA',
    'LEPd': 'LEPd',
    'PLEPd': 'PLEPd',
    'LEX8H': 'LEX8H',
    'PLEX8H': 'PLEX8H',
    ' Lower Limit Range : 70 ~ 140 !!!': ' Faixa do limite inferior: 70 ~ 140 !!!',
    ' Upper Limit Range : 70 ~ 140 !!!': ' Faixa do limite superior: 70 ~ 140 !!!',
    'Memory': 'Memória',
    'Total Size': 'Tamanho total',
    'Remain Size': 'Espaço livre',
    'Message': 'Mensagem',
    'RTC': 'Relógio',
    'PC Time': 'Hora do PC',
    'Meter Time': 'Hora do medidor',
    'Meter': 'Medidor',
    'Up': 'Para cima',
    'Down': 'Para baixo',
    'Page 3': 'Página 3',
    'Page 4': 'Página 4',
    'Page 5': 'Página 5',
    'Page 6': 'Página 6',
    'Page 7': 'Página 7',
    'Page 8': 'Página 8',
    'Page 9': 'Página 9',
    'Page 10': 'Página 10',
    'Page 11': 'Página 11',
    'Page 12': 'Página 12',
    'Page 13': 'Página 13',
    'Page 14': 'Página 14',
    'Open File...': 'Abrir arquivo...',
    'Com Port Set...': 'Configurar porta COM...',
    'Show Setting Panel...': 'Mostrar painel de configurações...',
    'Real Time List': 'Lista em tempo real',
    'Draw Real Time Graphics': 'Gráfico em tempo real',
    'Real Time Set': 'Configuração em tempo real',
    'Set Timer Setting TimeOut !!!': 'Tempo esgotado ao configurar os temporizadores !!!',
    'Get Memory Information TimeOut Error !!!': 'Erro: tempo esgotado ao ler as informações da memória !!!',
    'Connection': 'Conectado',
    'Erasing...': 'Apagando...',
    'Disconnection': 'Desconectado',
    'Load': 'Carregando',
    'Set OK !!!': 'Configuração aplicada !!!',
    'Set Fail !!!': 'Falha na configuração !!!',
    'Memory Info No Data !!!': 'Memória sem dados !!!',
    'Load Complete': 'Carregamento concluído',
    'Get Memory Info OK !!!': 'Informações da memória lidas !!!',
    'Setting Panel': 'Painel de configurações',
    'Lcd contrast': 'Contraste do LCD',
    'Lcd APO': 'Desligamento automático',
    'Timers': 'Temporizadores',
    'Screen': 'Telas',
    'Pause': 'Pausa',
    'Auto Lock Keypad': 'Bloqueio automático do teclado',
    'Auto Scroll Screens': 'Rolagem automática das telas',
    'InputText': 'Texto de abertura',
    'Mode': 'Modo',
    'Repeat': 'Repetição',
    'En': 'Hab.',
    'Start': 'Início',
    'Duration': 'Duração',
    'Start Time': 'Hora de início',
    'Year': 'Ano',
    'Month': 'Mês',
    'Day': 'Dia',
    'Hour': 'Hora',
    'Minute': 'Minuto',
    'Welcome Text Setting': 'Configuração do texto de abertura',
    'Record': 'Registro',
    'Setting': 'Configurações',
    'Other Option': 'Outras opções',
    'No.s': 'Nº',
    'Date/Time': 'Data/Hora',
    'Index': 'Índice',
    'Clear Memory are you sure?': 'Deseja realmente apagar a memória?',
    'Set Error !!!': 'Erro de configuração !!!',
    'Delay Year Range : 2016 ~ 2100 !!!': 'Início programado: faixa do ano 2016 ~ 2100 !!!',
    'Delay Month Range : 1 ~ 12 !!!': 'Início programado: faixa do mês 1 ~ 12 !!!',
    'Delay Day Range : 1 ~ 31 !!!': 'Início programado: faixa do dia 1 ~ 31 !!!',
    'Delay Hour Range : 0 ~ 23 !!!': 'Início programado: faixa da hora 0 ~ 23 !!!',
    'Delay Minute Range : 0 ~ 59 !!!': 'Início programado: faixa do minuto 0 ~ 59 !!!',
    'Repeat Start Hour Range : 0 ~ 23 !!!': 'Repetição: faixa da hora de início 0 ~ 23 !!!',
    'Repeat Start Minute Range : 0 ~ 59 !!!': 'Repetição: faixa do minuto de início 0 ~ 59 !!!',
    'Repeat Stop Hour Range : 0 ~ 23 !!!': 'Repetição: faixa da hora de término 0 ~ 23 !!!',
    'Repeat Stop Minute Range : 0 ~ 59 !!!': 'Repetição: faixa do minuto de término 0 ~ 59 !!!',
    'PC Start Hour Range : 0 ~ 23 !!!': 'PC: faixa da hora de início 0 ~ 23 !!!',
    'PC Start Minute Range : 0 ~ 59 !!!': 'PC: faixa do minuto de início 0 ~ 59 !!!',
    'PC Stop Hour Range : 0 ~ 23 !!!': 'PC: faixa da hora de término 0 ~ 23 !!!',
    'PC Stop Minute Range : 0 ~ 59 !!!': 'PC: faixa do minuto de término 0 ~ 59 !!!',
    'Page': 'Página',
    'LEQ': 'Leq',
    'HeaderItem': 'Itens do cabeçalho',
    'All': 'Todos',
    'SaveFile': 'Salvar arquivo',
    'Print': 'Imprimir',
    'Export PDF...': 'Exportar PDF...',
    'D1': 'D1',
    'D2': 'D2',
    'D3': 'D3',
    'Start Date/Time': 'Data/Hora de início',
    'Stop Date/Time': 'Data/Hora de término',
    'Total Point': 'Total de registros',
    'Exceedance Level': 'Nível de excedência',
    'Interval Time': 'Intervalo de registro',
    'Dose': 'Dose',
    'PDose': 'Dose projetada',
    'Ti': 'Ti',
    'LCEQ': 'LCEQ',
    'LZEQ': 'LZEQ',
    'LAE': 'LAE',
    'LCE': 'LCE',
    'LZE': 'LZE',
    'EA': 'EA',
    'EC': 'EC',
    'EZ': 'EZ',
    'PKA': 'PKA',
    'PKC': 'PKC',
    'PKZ': 'PKZ',
    'HML': 'HML',
    'EXPh': 'EXPh',
    'EXPs': 'EXPs',
    'NEN': 'NEN',
    'ExceedanceTime': 'Tempo de excedência',
    'Ki': 'Ki',
    'LAFTM5': 'LAFTM5',
    'LAFTM3': 'LAFTM3',
    'Resolution': 'Resolução',
    'Graphic Plot': 'Gráfico',
    'Histogram': 'Histograma',
    'Limit': 'Limite',
    'Normal mode': 'Modo normal',
    'Normal': 'Normal',
    'Cursor Coordinates': 'Coordenadas do cursor',
    'PanXY': 'Deslocar XY',
    'PanX': 'Deslocar X',
    'PanY': 'Deslocar Y',
    'ZoomXY': 'Zoom XY',
    'ZoomX': 'Zoom X',
    'ZoomY': 'Zoom Y',
    'Reset': 'Restaurar',
    'Graph Range': 'Faixa do gráfico',
    'Track Mode': 'Modo de interação',
    'Cursor Information': 'Informações do cursor',
    'Min': 'Mín.',
    'Max': 'Máx.',
    'No.s (X):': 'Nº (X):',
    'No.s (Y):': 'Nº (Y):',
    'Reset Scale': 'Restaurar escala',
    'Print Graph': 'Imprimir gráfico',
    'Drag the cursor with your mouse to get X (Count) and Y (dB) position.':
        'Arraste o cursor com o mouse para obter a posição X (contagem) e Y (dB).',
    'Click anywhere on the plot area and drag to pan the graph both horizontally and vertically.':
        'Clique em qualquer ponto da área do gráfico e arraste para deslocá-lo na horizontal e na vertical.',
    'Click anywhere on the plot area and drag to pan the graph horizontally.':
        'Clique em qualquer ponto da área do gráfico e arraste para deslocá-lo na horizontal.',
    'Click anywhere on the plot area and drag to pan the graph vertically.':
        'Clique em qualquer ponto da área do gráfico e arraste para deslocá-lo na vertical.',
    'Select a region on the graph to zoom both horizontally and vertically.':
        'Selecione uma região do gráfico para ampliá-la na horizontal e na vertical.',
    'Select a region on the graph to zoom horizontally.':
        'Selecione uma região do gráfico para ampliá-la na horizontal.',
    'Select a region on the graph to zoom vertically.':
        'Selecione uma região do gráfico para ampliá-la na vertical.',
    'Select a valid TrackMode.': 'Selecione um modo de interação válido.',
    'ON': 'LIGADO',
    'OFF': 'DESLIGADO',
    '5 Sec': '5 s',
    '10 Sec': '10 s',
    '20 Sec': '20 s',
    '30 Sec': '30 s',
    '1 Min': '1 min',
    '5 Min': '5 min',
    '10 Min': '10 min',
    '30 Min': '30 min',
    '1 Hr': '1 h',
    '2 Hr': '2 h',
    'Completed': 'Concluído',
    'Disabled': 'Desabilitado',
    'OSHA - 80': 'OSHA - 80',
    'OSHA - 90': 'OSHA - 90',
    'MSHA - 80': 'MSHA - 80',
    'MSHA - 90': 'MSHA - 90',
    'DOD': 'DOD',
    'ACGIH': 'ACGIH',
    'ISO - 85': 'ISO - 85',
    'ISO - 90': 'ISO - 90',
    'NR - 15': 'NR - 15',
    'NHO - 11': 'NHO - 11',
    'SLOW': 'LENTO',
    'FAST': 'RÁPIDO',
    'IMPULSE': 'IMPULSO',
    'Manually': 'Manual',
    'Delay': 'Programado',
    'PC': 'PC',
    'Frequency (Times)': 'Frequência (vezes)',
    'Kalvox 1': 'Kalvox 1',
    'Kalvox 2': 'Kalvox 2',
    'Kalvox 3': 'Kalvox 3',
    'SystemTime': 'Hora do sistema',
    'Battery': 'Bateria',
    'MemRemain': 'Memória livre',
    'Calibration': 'Calibração',
    'Exceedance Stop Time': 'Término da excedência',
    'dB': 'dB',
    'Evaluator': 'Avaliador',
    'Evaluated': 'Avaliado',
    'Department': 'Setor',
    'Company': 'Empresa',
    'Observations': 'Observações',
    'Manual Portugues': 'Manual em português',
    'PNEN': 'PNEN',
}
# User-defined standards, level names that stay in their international form,
# and the times of the maxima and minima.
for i in range(1, 10):
    PT[f'USER{i}'] = f'USUÁRIO{i}'
for w in 'ACZ':
    for t in 'FSI':
        for p in ('10', '50', '90', '95', '05'):
            PT[f'L{w}{t}{p}'] = f'L{w}{t}{p}'
        PT[f'SPL{w}{t}'] = f'SPL{w}{t}'
        for m in ('Max', 'Min'):
            PT[f'L{w}{t}{m}'] = f'L{w}{t}{m}'
            PT[f'L{w}{t}{m}Timer'] = f'Hora do L{w}{t}{m}'
    PT[f'L{w}IEQ'] = f'L{w}IEQ'
for p in ('10', '50', '90', '95', '05'):
    PT[f'LAEQ{p}'] = f'LAEQ{p}'


def read_slots():
    """(English default, key or None) of every slot, in slot order."""
    src = open(os.path.join(ROOT, 'src', 'shell', 'uitext.cpp'), encoding='utf-8').read()
    rows = re.findall(r'\{\d+, "\w+", &UiText::\w+,\s*"((?:[^"\\]|\\.)*)",\s*(nullptr|"(?:[^"\\]|\\.)*")\}', src)
    if len(rows) != 356:
        sys.exit(f'expected 356 slots in uitext.cpp, found {len(rows)}')
    return [(d, None if k == 'nullptr' else k[1:-1]) for d, k in rows]


def lan_file(pairs):
    """Lines 'key<TABs>\\text', the texts aligned at column 56 (TAB = 8)."""
    out = []
    for key, text in pairs:
        tabs = max(1, (56 - len(key) + 7) // 8)
        out.append(key + '\t' * tabs + '\\' + text + '\r\n')
    return ''.join(out).encode('cp1252')


def main():
    slots = read_slots()
    keys = [k for _, k in slots if k is not None]
    missing = [k for k in keys if k not in PT]
    extra = [k for k in PT if k not in keys]
    if missing or extra:
        sys.exit(f'untranslated keys: {missing}\ntranslations without a key: {extra}')
    english = {k: d for d, k in slots if k is not None}
    files = {
        'English.lan': lan_file((k, english[k]) for k in keys),
        PORTUGUESE + '.lan': lan_file((k, PT[k]) for k in keys),
        'Language.bin': ('Language\\1\r\n1\\English\r\n2\\' + PORTUGUESE + '\r\n').encode('cp1252'),
    }
    for name, data in files.items():
        with open(os.path.join(LAN, name), 'wb') as f:
            f.write(data)
        print(f'{name}: {len(data)} bytes')


if __name__ == '__main__':
    main()
